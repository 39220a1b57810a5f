# Settings for every Windows target: Unicode Win32 API, hardening and a static runtime so that the
# executables import system DLLs only.
enable_language(RC)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

if(MSVC)
    set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    add_compile_options(/GS /guard:cf)
    add_link_options(/DYNAMICBASE /NXCOMPAT /guard:cf)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        add_link_options(/HIGHENTROPYVA)
    endif()
else()
    add_compile_options(-fstack-protector-strong -ffunction-sections -fdata-sections)
    add_link_options(-static -municode -fstack-protector-strong -Wl,--dynamicbase,--nxcompat -Wl,--gc-sections)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        add_link_options(-Wl,--high-entropy-va)
    endif()
    # Release programs carry no symbols.
    add_link_options($<$<CONFIG:Release,MinSizeRel>:-s>)
    set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
endif()

if(MSVC)
    add_compile_options(/utf-8)
endif()

# Programs, tests and fixtures side by side, so that tests find the programs they start.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
