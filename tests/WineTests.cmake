# Tests of the Windows programs. On Linux they run under Wine (the toolchain's emulator), inside one
# private Wine session that the "wine.start" test prepares and "wine.stop" removes.
set(KV2_WINE_SESSION ${CMAKE_BINARY_DIR}/wine-session)
if(CMAKE_CROSSCOMPILING)
    add_test(NAME wine.start COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-env start ${KV2_WINE_SESSION})
    add_test(NAME wine.stop COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-env stop ${KV2_WINE_SESSION})
    set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 600)
    set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 120)
endif()

# One ctest test per GoogleTest suite of a test program.
function(kv2_windows_tests target)
    cmake_parse_arguments(ARG "" "LOCK" "SUITES" ${ARGN})
    foreach(suite ${ARG_SUITES})
        add_test(NAME win.${suite} COMMAND ${target} --gtest_filter=${suite}.* --gtest_brief=1)
        # Exit code 77: a 32-bit program on a machine whose Wine runs 64-bit programs only.
        set_tests_properties(win.${suite} PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
                             ENVIRONMENT "KV2_WINE_SESSION=${KV2_WINE_SESSION}")
        if(CMAKE_CROSSCOMPILING)
            set_tests_properties(win.${suite} PROPERTIES FIXTURES_REQUIRED wine)
        endif()
        if(ARG_LOCK)
            set_tests_properties(win.${suite} PROPERTIES RESOURCE_LOCK ${ARG_LOCK})
        endif()
    endforeach()
endfunction()
