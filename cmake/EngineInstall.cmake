# Installs lb_engine as a CMake package, so that another project can write
#   find_package(LatticeBloomEngine REQUIRED)
#   target_link_libraries(app PRIVATE LatticeBloom::engine)
# and get the headers, the static library and the engine's dependencies (SDL2,
# GLEW, OpenGL, libpng, libjpeg-turbo). Everything goes into the component
# "engine", so `cmake --install BUILD --component engine` installs the engine
# alone, without the programs or the data set:
#   PREFIX/include/lattice-bloom/*.h            included as "Matrix.h", as in this tree
#   PREFIX/lib/liblb_engine.a                   (CMAKE_INSTALL_LIBDIR)
#   PREFIX/lib/cmake/LatticeBloomEngine/*.cmake the package

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(LB_ENGINE_INCLUDE_DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lattice-bloom)
set(LB_ENGINE_PACKAGE_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/LatticeBloomEngine)
# The engine's interface version: bump the major number when a header changes
# incompatibly.
set(LB_ENGINE_VERSION 1.0.0)

# Installed, the headers sit in one folder and include each other by file name.
target_include_directories(lb_engine PUBLIC $<INSTALL_INTERFACE:${LB_ENGINE_INCLUDE_DESTINATION}>)
set_target_properties(lb_engine PROPERTIES EXPORT_NAME engine)

file(GLOB LB_ENGINE_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/engine/*.h)
install(FILES ${LB_ENGINE_HEADERS} DESTINATION ${LB_ENGINE_INCLUDE_DESTINATION} COMPONENT engine)
install(TARGETS lb_engine EXPORT LatticeBloomEngineTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT engine)
install(EXPORT LatticeBloomEngineTargets NAMESPACE LatticeBloom::
        DESTINATION ${LB_ENGINE_PACKAGE_DESTINATION} COMPONENT engine)

configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/LatticeBloomEngineConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/cmake/LatticeBloomEngineConfig.cmake
                              INSTALL_DESTINATION ${LB_ENGINE_PACKAGE_DESTINATION})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/cmake/LatticeBloomEngineConfigVersion.cmake
                                 VERSION ${LB_ENGINE_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/cmake/LatticeBloomEngineConfig.cmake
              ${CMAKE_BINARY_DIR}/cmake/LatticeBloomEngineConfigVersion.cmake
        DESTINATION ${LB_ENGINE_PACKAGE_DESTINATION} COMPONENT engine)
