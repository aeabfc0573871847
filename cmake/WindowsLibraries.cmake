# The libraries of the Windows build, as the same imported targets that
# pkg-config gives the Linux build (PkgConfig::SDL2 and so on), so that every
# other CMake file stays the same. They are the static libraries that
# scripts/windows-deps.sh built into LB_WINDOWS_DEPS; the programs link them
# all in, with the C and C++ runtimes, and need no DLL beside them.
if(NOT LB_WINDOWS_DEPS)
  message(FATAL_ERROR "the Windows build needs -DLB_WINDOWS_DEPS=PREFIX (the folder scripts/windows-deps.sh prints)")
endif()

# MinGW-w64's own C99 stdio and strtod rather than the old MSVCRT's: printf's
# formats and the numbers strtod reads (hexadecimal, inf, correct rounding) are
# then the ones glibc gives the Linux build.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)

# Static archives only: Windows-GNU's platform file (read after the toolchain
# file) puts the DLLs' import libraries (.dll.a) first again.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

# SDL2 and SDL2_mixer install CMake packages of their own. SDL2main (WinMain
# for the GUI-subsystem show, main for console programs, both calling the
# SDL_main that SDL.h renames main to) is linked by the programs whose main
# sees SDL.h, not by everything that uses SDL.
find_package(SDL2 CONFIG REQUIRED)
find_package(SDL2_mixer CONFIG REQUIRED)

function(lb_windows_library target)
  cmake_parse_arguments(arg "" "" "NAMES;LINK;DEFINES" ${ARGN})
  find_library(${target}_LIBRARY NAMES ${arg_NAMES} REQUIRED NO_CACHE)
  add_library(PkgConfig::${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(PkgConfig::${target} INTERFACE ${LB_WINDOWS_DEPS}/include)
  target_link_libraries(PkgConfig::${target} INTERFACE ${${target}_LIBRARY} ${arg_LINK})
  if(arg_DEFINES)
    target_compile_definitions(PkgConfig::${target} INTERFACE ${arg_DEFINES})
  endif()
endfunction()

add_library(PkgConfig::SDL2 INTERFACE IMPORTED GLOBAL)
target_link_libraries(PkgConfig::SDL2 INTERFACE SDL2::SDL2-static)
add_library(PkgConfig::SDL2_MIXER INTERFACE IMPORTED GLOBAL)
target_link_libraries(PkgConfig::SDL2_MIXER INTERFACE SDL2_mixer::SDL2_mixer-static SDL2::SDL2-static)

find_library(LB_MINGW_ZLIB NAMES z REQUIRED)
lb_windows_library(GLEW NAMES glew32 DEFINES GLEW_STATIC LINK OpenGL::GL)
# And opengl32 among the system libraries at the end of every link line: where
# a program's targets form a longer chain (the director's player), CMake may
# name it before the static GLEW that needs it.
string(APPEND CMAKE_CXX_STANDARD_LIBRARIES " -lopengl32")
lb_windows_library(PNG NAMES png16 png LINK ${LB_MINGW_ZLIB})
lb_windows_library(JPEG NAMES jpeg)
lb_windows_library(TURBOJPEG NAMES turbojpeg)
lb_windows_library(LB_RENDER_FREETYPE NAMES freetype)
target_include_directories(PkgConfig::LB_RENDER_FREETYPE INTERFACE ${LB_WINDOWS_DEPS}/include/freetype2)

# Header-only libraries come from the Debian packages installed for the Linux
# build (CLI11, GLM): a folder of links to them only, since adding /usr/include
# itself would put glibc's headers before MinGW's.
set(LB_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
foreach(folder CLI glm)
  if(EXISTS /usr/include/${folder} AND NOT EXISTS ${LB_HOST_HEADERS}/${folder})
    file(MAKE_DIRECTORY ${LB_HOST_HEADERS})
    file(CREATE_LINK /usr/include/${folder} ${LB_HOST_HEADERS}/${folder} SYMBOLIC)
  endif()
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
target_include_directories(CLI11::CLI11 INTERFACE ${LB_HOST_HEADERS})
