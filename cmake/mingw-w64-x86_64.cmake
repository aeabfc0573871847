# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DLB_WINDOWS_DEPS=PREFIX
#
# The -posix compilers are named on purpose: Debian's plain x86_64-w64-mingw32-g++
# is the win32-threads variant, whose C++ library has no std::thread or std::mutex.
# LB_WINDOWS_DEPS is the prefix scripts/windows-deps.sh filled with the static
# libraries (SDL2, SDL2_mixer, GLEW, libpng, libjpeg-turbo); it is searched as a
# second root beside the compilers' own, and only static archives are picked, so
# that the programs carry everything and need no DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LB_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LB_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LB_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${LB_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${LB_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${LB_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# try_compile projects load this file again: hand them the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LB_WINDOWS_DEPS)
if(NOT LB_WINDOWS_DEPS AND DEFINED ENV{LB_WINDOWS_DEPS})
  set(LB_WINDOWS_DEPS $ENV{LB_WINDOWS_DEPS})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${LB_MINGW_TRIPLET} ${LB_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static archives only (FindPNG, FindZLIB and friends would otherwise take the
# DLL's import library, .dll.a, first).
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
