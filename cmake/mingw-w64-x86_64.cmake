# Toolchain for 64-bit Windows programs built with MinGW-w64 and POSIX threads (std::thread).
# On Linux it uses Debian's cross compilers (packages mingw-w64, g++-mingw-w64-x86-64-posix) and
# runs target programs under Wine; on Windows (MSYS2's MINGW64 shell) the native gcc/g++.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

if(CMAKE_HOST_WIN32)
    set(CMAKE_C_COMPILER gcc)
    set(CMAKE_CXX_COMPILER g++)
    set(CMAKE_RC_COMPILER windres)
else()
    set(_isp_triplet x86_64-w64-mingw32)
    set(CMAKE_C_COMPILER ${_isp_triplet}-gcc-posix)
    set(CMAKE_CXX_COMPILER ${_isp_triplet}-g++-posix)
    set(CMAKE_RC_COMPILER ${_isp_triplet}-windres)
    set(CMAKE_FIND_ROOT_PATH /usr/${_isp_triplet})
    set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
    set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
    set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
    # Test programs (and gtest_discover_tests) run under Wine when it is installed.
    find_program(ISP_WINE NAMES wine64 wine)
    if(ISP_WINE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${ISP_WINE})
    endif()
endif()

# One self-contained .exe each: no libstdc++/libgcc/winpthread DLLs to ship or to find under Wine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
