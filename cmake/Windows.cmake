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
    # No run-time type information: nothing here asks a type its name or casts down at run time, and
    # exceptions carry their types regardless.
    add_compile_options(-fstack-protector-strong -ffunction-sections -fdata-sections -fno-rtti)
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

# For programs whose resource file embeds their own manifest (administrator rights or not, common
# controls 6, DPI awareness, supported systems). Microsoft's linker would otherwise make one of its own
# as well: a second manifest resource of the same number, which fails the link or replaces ours.
# The manifest is embedded packed (without comments and indentation: the same XML, some 500 bytes
# smaller), as "<target>.packed.manifest" from the generated folder, which the resource file names.
function(kv2_own_manifest target)
    if(MSVC)
        target_link_options(${target} PRIVATE /MANIFEST:NO)
    endif()
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/resources/${target}.manifest)
    set(packed ${CMAKE_CURRENT_BINARY_DIR}/generated/${target}.packed.manifest)
    file(READ ${source} xml)
    string(REGEX REPLACE "<!--[^>]*-->" "" xml "${xml}")
    string(REGEX REPLACE "[ \t\r\n]+" " " xml "${xml}")
    string(REPLACE "> <" "><" xml "${xml}")
    string(STRIP "${xml}" xml)
    file(CONFIGURE OUTPUT ${packed} CONTENT "${xml}" @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
    get_target_property(sources ${target} SOURCES)
    foreach(file IN LISTS sources)
        if(file MATCHES "\\.rc$")
            set_source_files_properties(${file} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${packed})
        endif()
    endforeach()
endfunction()

# Programs, tests and fixtures side by side, so that tests find the programs they start.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# 32-bit Windows names C symbols with a leading underscore.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KV2_C_SYMBOL_PREFIX "")
else()
    set(KV2_C_SYMBOL_PREFIX "_")
endif()

# The GNU C++ library's helpers that throw for its containers (length, range, allocation errors) build
# logic_error and its kin, whose text is the library's older string: through them a static program
# carries that string's code and its exception types whole (about 85 KB on 32-bit Windows, where the
# linker cannot drop the unused functions of an object that has unwind tables). Here every one of them
# is linked to a small stand-in in `LeanRuntime.cpp` that throws what callers catch just the same; with
# all of them defined, the library's own are never linked (were they, the link would fail on the second
# definition). The programs users get take these, and so do the tests under Wine that run their code.
set(KV2_LIBRARY_THROWS OFF)
if(NOT MSVC AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(KV2_LIBRARY_THROWS ON)
endif()
function(kv2_library_throws target)
    if(KV2_LIBRARY_THROWS)
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/common/win/LeanRuntime.cpp)
        target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
        set(throws
            "19__throw_logic_errorPKc=library_error" "19__throw_range_errorPKc=library_error"
            "20__throw_domain_errorPKc=library_error" "20__throw_length_errorPKc=library_error"
            "20__throw_out_of_rangePKc=library_error" "21__throw_runtime_errorPKc=library_error"
            "22__throw_overflow_errorPKc=library_error" "23__throw_underflow_errorPKc=library_error"
            "24__throw_invalid_argumentPKc=library_error" "24__throw_out_of_range_fmtPKcz=out_of_range_fmt"
            "17__throw_bad_allocv=bad_alloc" "28__throw_bad_array_new_lengthv=bad_array_new_length"
            "16__throw_bad_castv=bad_cast" "18__throw_bad_typeidv=bad_typeid"
            "21__throw_bad_exceptionv=bad_exception")
        set(p "${KV2_C_SYMBOL_PREFIX}")
        foreach(pair IN LISTS throws)
            string(REPLACE "=" ";" pair "${pair}")
            list(GET pair 0 helper)
            list(GET pair 1 standIn)
            target_link_options(${target} PRIVATE "-Wl,--defsym=${p}_ZSt${helper}=${p}kv2_throw_${standIn}")
        endforeach()
    endif()
endfunction()

# For the programs users get, built with the GNU toolchain: the library throws above, and the terminate
# handler. When an exception escapes everything, the GNU C++ library's default terminate handler writes
# the exception's demangled type to the standard error stream before it aborts. These programs have no
# console, so nobody can read it, and that handler alone pulls the library's symbol demangler and a full
# printf into the program (about 75 KB of 450). Here the handler is plain abort, which it ends with
# anyway: the program ends just as before. And the thread-local variables and static guards of
# `LeanThreads.cpp`, on the system's thread-local storage and locks: the library's own sit on its POSIX
# thread layer, which the program then carries (about 27 KB of 262 on 64-bit Windows).
function(kv2_lean_runtime target)
    if(NOT MSVC AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        kv2_library_throws(${target})
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src/common/win/LeanThreads.cpp)
        set(p "${KV2_C_SYMBOL_PREFIX}")
        target_link_options(${target} PRIVATE "-Wl,--defsym=${p}_ZN9__gnu_cxx27__verbose_terminate_handlerEv=${p}abort")
    endif()
endfunction()

# Release programs built with GCC are optimised as one whole at link time: inline functions and
# template members that every source instantiates on its own are then compiled once, which makes the
# programs about an eighth smaller. The libraries carry both the optimiser's form and ordinary code
# ("fat" objects), so tests link against them as usual and only the programs users get take the slower
# link. One partition: GCC 12 for MinGW fails with an internal error when it splits these programs.
set(KV2_WHOLE_PROGRAM OFF)
if(NOT MSVC AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_BUILD_TYPE MATCHES "^(MinSizeRel|Release)$")
    set(KV2_WHOLE_PROGRAM ON)
    # Everything else is linked from the ordinary code: the linker would otherwise mix the two forms.
    add_link_options(-fno-use-linker-plugin)
endif()
function(kv2_whole_program target)
    if(KV2_WHOLE_PROGRAM)
        target_compile_options(${target} PRIVATE -flto -ffat-lto-objects)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            target_link_options(${target} PRIVATE -fuse-linker-plugin -flto -flto-partition=one)
        endif()
    endif()
endfunction()
