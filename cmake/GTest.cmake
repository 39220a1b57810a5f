# GoogleTest: the installed package natively, otherwise built from its sources with the same
# compiler as the product (MinGW needs its posix thread model for std::mutex).
if(NOT CMAKE_CROSSCOMPILING)
    find_package(GTest CONFIG QUIET)
endif()
if(NOT TARGET GTest::gtest_main)
    if(NOT EXISTS "${KV2_GTEST_SOURCE}/CMakeLists.txt")
        message(FATAL_ERROR "GoogleTest sources not found at ${KV2_GTEST_SOURCE}; install the googletest package")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    # With Microsoft's compiler GoogleTest takes the same static run-time library as everything else
    # (CMAKE_MSVC_RUNTIME_LIBRARY): its own CMake files predate that setting and would otherwise mix
    # run-time libraries in one test program.
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(CMAKE_POLICY_DEFAULT_CMP0091 NEW)
    add_subdirectory("${KV2_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
endif()
include(GoogleTest)
