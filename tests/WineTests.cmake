# Tests of the Windows programs. On Linux they run under Wine (the toolchain's emulator), inside one
# private Wine session that the "${KV2_ARCH}.wine.start" test prepares and "${KV2_ARCH}.wine.stop" removes.
set(KV2_WINE_SESSION ${CMAKE_BINARY_DIR}/wine-session)
# One ctest run may cover the trees of both processors, each with its own session and fixture; ctest
# knows tests by name alone, so every name carries the processor.
set(KV2_ARCH ${CMAKE_SYSTEM_PROCESSOR})
set(KV2_WINE_FIXTURE wine_${KV2_ARCH})
if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${KV2_ARCH}.wine.start COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-env start ${KV2_WINE_SESSION})
    add_test(NAME ${KV2_ARCH}.wine.stop COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-env stop ${KV2_WINE_SESSION})
    set_tests_properties(${KV2_ARCH}.wine.start PROPERTIES FIXTURES_SETUP ${KV2_WINE_FIXTURE} TIMEOUT 600
                         RESOURCE_LOCK wine_session_start)
    set_tests_properties(${KV2_ARCH}.wine.stop PROPERTIES FIXTURES_CLEANUP ${KV2_WINE_FIXTURE} TIMEOUT 120)
endif()

# A second session whose display has twice the usual resolution (192 DPI), for the suites that show what
# KV2's windows look like there.
set(KV2_WINE_SESSION_192 ${CMAKE_BINARY_DIR}/wine-session-192)
set(KV2_WINE_FIXTURE_192 wine192_${KV2_ARCH})
if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${KV2_ARCH}.wine192.start
        COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-env start ${KV2_WINE_SESSION_192} --dpi 192)
    add_test(NAME ${KV2_ARCH}.wine192.stop COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-env stop ${KV2_WINE_SESSION_192})
    set_tests_properties(${KV2_ARCH}.wine192.start PROPERTIES FIXTURES_SETUP ${KV2_WINE_FIXTURE_192} TIMEOUT 600
                         RESOURCE_LOCK wine_session_start)
    set_tests_properties(${KV2_ARCH}.wine192.stop PROPERTIES FIXTURES_CLEANUP ${KV2_WINE_FIXTURE_192} TIMEOUT 120)
endif()

# One ctest test per GoogleTest suite of a test program. The suites of one session take turns: many
# show windows where others press real keys and buttons or need the foreground, and the desktop is
# shared. (Native tests and the other processor's session still run alongside.)
function(kv2_windows_tests target)
    cmake_parse_arguments(ARG "" "" "SUITES" ${ARGN})
    foreach(suite ${ARG_SUITES})
        add_test(NAME ${KV2_ARCH}.${suite} COMMAND ${target} --gtest_filter=${suite}.* --gtest_brief=1)
        # Exit code 77: a 32-bit program on a machine whose Wine runs 64-bit programs only.
        set_tests_properties(${KV2_ARCH}.${suite} PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
                             ENVIRONMENT "KV2_WINE_SESSION=${KV2_WINE_SESSION}")
        if(CMAKE_CROSSCOMPILING)
            set_tests_properties(${KV2_ARCH}.${suite} PROPERTIES FIXTURES_REQUIRED ${KV2_WINE_FIXTURE})
        endif()
        set_tests_properties(${KV2_ARCH}.${suite} PROPERTIES RESOURCE_LOCK wine_desktop_${KV2_ARCH})
    endforeach()
endfunction()

# The suites again in the 192-DPI session, as "<processor>.192dpi.<suite>"; KV2_TEST_DPI tells them the
# resolution they must see.
function(kv2_windows_tests_at_192_dpi target)
    cmake_parse_arguments(ARG "" "" "SUITES" ${ARGN})
    if(NOT CMAKE_CROSSCOMPILING)
        return()
    endif()
    foreach(suite ${ARG_SUITES})
        add_test(NAME ${KV2_ARCH}.192dpi.${suite} COMMAND ${target} --gtest_filter=${suite}.* --gtest_brief=1)
        set_tests_properties(${KV2_ARCH}.192dpi.${suite} PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
                             ENVIRONMENT "KV2_WINE_SESSION=${KV2_WINE_SESSION_192};KV2_TEST_DPI=192"
                             FIXTURES_REQUIRED ${KV2_WINE_FIXTURE_192}
                             RESOURCE_LOCK wine_desktop_192_${KV2_ARCH})
    endforeach()
endfunction()
