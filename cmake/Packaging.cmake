# Installing and packaging the show.
#
# Two layouts, from one build:
#  - the default component "show" follows the GNU layout: the programs in bin/,
#    the data set in share/lattice-bloom/data/ (where the programs look for it,
#    ../share/lattice-bloom/ beside their own folder), README and licence in
#    share/doc/lattice-bloom/. `cmake --install` and the .deb install this; the
#    .deb's dependencies are computed by dpkg-shlibdeps.
#  - the component "bundle" (left out of a plain install) is the release folder
#    that unpacks and plays: the programs at the top with data/ beside them, and
#    lib/ holding every shared library they load that is not part of the
#    desktop's system layer (cmake/system-libraries.txt). The programs find lib/
#    through an $ORIGIN run path. scripts/package.sh installs it and packs it.
include(GNUInstallDirs)

set(LB_SHOW_PROGRAMS lattice-bloom lattice-bloom-render)
set(LB_SYSTEM_LIBRARIES_FILE ${CMAKE_SOURCE_DIR}/cmake/system-libraries.txt)

# The run path is a DT_RPATH, not a DT_RUNPATH: the loader then searches it for
# the libraries' own dependencies too (SDL2_mixer's decoders), not only for the
# programs' direct ones.
set_target_properties(${LB_SHOW_PROGRAMS} PROPERTIES INSTALL_RPATH "$ORIGIN/lib")
foreach(program ${LB_SHOW_PROGRAMS})
  target_link_options(${program} PRIVATE "LINKER:--disable-new-dtags")
endforeach()

# README.txt with the credits the opening scene shows (content/text/credits.txt).
include(${CMAKE_SOURCE_DIR}/cmake/ReleaseCredits.cmake)
set(LB_RELEASE_README ${CMAKE_BINARY_DIR}/README.txt)
configure_file(${CMAKE_SOURCE_DIR}/cmake/release-README.txt.in ${LB_RELEASE_README} @ONLY)

# --- GNU layout -----------------------------------------------------------------
install(TARGETS ${LB_SHOW_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT show)
install(DIRECTORY ${LB_DATA_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/lattice-bloom/data COMPONENT show)
install(FILES ${LB_RELEASE_README} ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/lattice-bloom COMPONENT show)
# An installed program uses the system's libraries: drop the bundle's run path.
foreach(program ${LB_SHOW_PROGRAMS})
  install(CODE "file(RPATH_REMOVE FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")"
          COMPONENT show)
endforeach()

# --- Release folder ---------------------------------------------------------------
install(TARGETS ${LB_SHOW_PROGRAMS} RUNTIME DESTINATION . COMPONENT bundle EXCLUDE_FROM_ALL)
install(DIRECTORY ${LB_DATA_DIR}/ DESTINATION data COMPONENT bundle EXCLUDE_FROM_ALL)
install(FILES ${LB_RELEASE_README} ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT bundle EXCLUDE_FROM_ALL)
# The libraries: every dependency, direct or not, that is not part of the system
# layer; the system layer's own dependencies are not followed. A library both
# sides use (libsndfile: the bundled SDL2_mixer's MIDI synthesizer and the
# system's PulseAudio client) is bundled, so the release never depends on which
# codecs a player's PulseAudio happens to link. Each is copied under its soname.
install(CODE "
  file(STRINGS \"${LB_SYSTEM_LIBRARIES_FILE}\" system_patterns REGEX \"^[^#]\")
  file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES $<TARGET_FILE:lattice-bloom> $<TARGET_FILE:lattice-bloom-render>
    RESOLVED_DEPENDENCIES_VAR libraries
    UNRESOLVED_DEPENDENCIES_VAR missing
    PRE_EXCLUDE_REGEXES \${system_patterns})
  if(missing)
    message(FATAL_ERROR \"libraries the programs need but this machine lacks: \${missing}\")
  endif()
  foreach(library \${libraries})
    get_filename_component(soname \"\${library}\" NAME)
    get_filename_component(real \"\${library}\" REALPATH)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib\" TYPE FILE FILES \"\${real}\" RENAME \"\${soname}\")
  endforeach()
" COMPONENT bundle EXCLUDE_FROM_ALL)

# --- Debian package (the GNU layout) ------------------------------------------
set(CPACK_PACKAGE_NAME lattice-bloom)
set(CPACK_PACKAGE_VENDOR "Quasar Fern")
set(CPACK_PACKAGE_CONTACT "Quasar Fern <demo@quasarfern.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Lattice Bloom, a real-time audiovisual demo")
set(CPACK_PACKAGE_DESCRIPTION
    "A self-running 130-second show of ten 3D scenes played in step with its own music (OpenGL 4.1 core).")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL show)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_PACKAGE_NAME lattice-bloom)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The renderer writes videos through ffmpeg; the show itself does not need it.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ffmpeg)
include(CPack)
