# Warnings are always on; KV2_WERROR (set by the test scripts and CI) makes them errors.
function(kv2_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /utf-8 $<$<BOOL:${KV2_WERROR}>:/WX>)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<BOOL:${KV2_WERROR}>:-Werror>)
    endif()
endfunction()
