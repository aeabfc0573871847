# The engine's sources for the system being built for: one header and one source
# per class, less the files that belong to another system. Sets LB_ENGINE_SOURCES
# and LB_HAVE_DRAND48; the desktop build and the web build (web/) both use it.
#   LB_ENGINE_DIR   the engine's folder
#   - the platform layer (Platform.h): PlatformWindows.cpp on Windows,
#     PlatformPosix.cpp everywhere else (Linux, the browser);
#   - the drand48 family under its C names (Drand48.cpp) only where the C
#     library has none (Rand48.h);
#   - GLEW's loader and the debug output (GlLoader.cpp, GlDebug.cpp) only where
#     the GL is a desktop one: the browser's WebGL2 comes through emscripten.
file(GLOB LB_ENGINE_SOURCES CONFIGURE_DEPENDS ${LB_ENGINE_DIR}/*.cpp)
list(FILTER LB_ENGINE_SOURCES EXCLUDE REGEX "/(PlatformPosix|PlatformWindows|Drand48)[.]cpp$")
if(WIN32)
  list(APPEND LB_ENGINE_SOURCES ${LB_ENGINE_DIR}/PlatformWindows.cpp)
else()
  list(APPEND LB_ENGINE_SOURCES ${LB_ENGINE_DIR}/PlatformPosix.cpp)
endif()
if(EMSCRIPTEN)
  list(FILTER LB_ENGINE_SOURCES EXCLUDE REGEX "/(GlLoader|GlDebug)[.]cpp$")
endif()
include(CheckSymbolExists)
check_symbol_exists(drand48 stdlib.h LB_HAVE_DRAND48)
if(NOT LB_HAVE_DRAND48)
  list(APPEND LB_ENGINE_SOURCES ${LB_ENGINE_DIR}/Drand48.cpp)
endif()
