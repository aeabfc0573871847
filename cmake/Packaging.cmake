# Installing and packaging the show.
#
# Two layouts, from one build:
#  - the default component "show" follows the GNU layout: the programs in bin/,
#    the data set in share/lattice-bloom/data/ (where the programs look for it,
#    ../share/lattice-bloom/ beside their own folder), README and licence in
#    share/doc/lattice-bloom/, the menu entry, icons, AppStream metadata and
#    manual pages where desktops look for them. `cmake --install` and the .deb
#    install this; the .deb's dependencies are computed by dpkg-shlibdeps.
#    LB_DEBIAN_LAYOUT (scripts/package.sh sets it) makes it the layout Debian
#    wants of a game: the programs in games/ (/usr/games, whose
#    ../share/lattice-bloom/ is still the data set's folder), and a
#    machine-readable copyright file and a compressed changelog in place of
#    the licence.
#  - the component "bundle" (left out of a plain install) is the release folder
#    that unpacks and plays: the programs at the top with data/ beside them, and
#    lib/ holding every shared library they load that is not part of the
#    desktop's system layer (cmake/system-libraries.txt). The programs find lib/
#    through an $ORIGIN run path. scripts/package.sh installs it and packs it.
include(GNUInstallDirs)

option(LB_DEBIAN_LAYOUT "Install as the Debian package wants: programs in games/, copyright and changelog" OFF)
if(LB_DEBIAN_LAYOUT)
  set(LB_PROGRAM_DIR games)
else()
  set(LB_PROGRAM_DIR ${CMAKE_INSTALL_BINDIR})
endif()

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

# The menu entry, AppStream metadata, changelog and manual pages.
include(${CMAKE_SOURCE_DIR}/cmake/DesktopFiles.cmake)

# --- GNU layout -----------------------------------------------------------------
install(TARGETS ${LB_SHOW_PROGRAMS} RUNTIME DESTINATION ${LB_PROGRAM_DIR} COMPONENT show)
install(DIRECTORY ${LB_DATA_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/lattice-bloom/data COMPONENT show)
set(lb_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/lattice-bloom)
install(FILES ${LB_RELEASE_README} DESTINATION ${lb_doc_dir} COMPONENT show)
if(LB_DEBIAN_LAYOUT)
  # Debian keeps the licence in copyright; a second copy is a lintian warning.
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${LB_CHANGELOG_GZ} DESTINATION ${lb_doc_dir} COMPONENT show)
else()
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${lb_doc_dir} COMPONENT show)
endif()
# An installed program uses the system's libraries: drop the bundle's run path.
foreach(program ${LB_SHOW_PROGRAMS})
  install(CODE "file(RPATH_REMOVE FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${LB_PROGRAM_DIR}/${program}\")"
          COMPONENT show)
endforeach()
foreach(size ${LB_ICON_SIZES})
  install(FILES ${LB_ICON_DIR}/lattice-bloom-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME lattice-bloom.png COMPONENT show)
endforeach()
install(FILES ${LB_ICON_DIR}/lattice-bloom.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT show)
install(FILES ${LB_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT show)
# The menu entry starts the program by its full installed path: a menu's PATH
# need not hold /usr/games or a private prefix. The prefix is the one installed
# to (the package's /usr under CPack, which installs with DESTDIR).
install(CODE "
  set(LB_DESKTOP_EXEC \"\${CMAKE_INSTALL_PREFIX}/${LB_PROGRAM_DIR}/lattice-bloom\")
  configure_file(\"${LB_INSTALLED_DESKTOP_TEMPLATE}\" \"${CMAKE_BINARY_DIR}/packaging/installed/lattice-bloom.desktop\" @ONLY)
  file(INSTALL \"${CMAKE_BINARY_DIR}/packaging/installed/lattice-bloom.desktop\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
" COMPONENT show)
if(LB_MAN_PAGES)
  install(FILES ${LB_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT show)
endif()

# --- Release folder ---------------------------------------------------------------
install(TARGETS ${LB_SHOW_PROGRAMS} RUNTIME DESTINATION . COMPONENT bundle EXCLUDE_FROM_ALL)
install(DIRECTORY ${LB_DATA_DIR}/ DESTINATION data COMPONENT bundle EXCLUDE_FROM_ALL)
install(FILES ${LB_RELEASE_README} ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT bundle EXCLUDE_FROM_ALL)
# The menu entry and icon, for adding the show to a menu by hand (README.txt).
install(FILES ${LB_BUNDLE_DESKTOP_FILE} ${LB_ICON_DIR}/lattice-bloom.svg DESTINATION . COMPONENT bundle EXCLUDE_FROM_ALL)
install(FILES ${LB_ICON_DIR}/lattice-bloom-256.png DESTINATION . RENAME lattice-bloom.png COMPONENT bundle
        EXCLUDE_FROM_ALL)
# The libraries: every dependency, direct or not, that is not part of the system
# layer; the system layer's own dependencies are not followed. A library both
# sides use is bundled, so the release never depends on what a player's system
# libraries happen to link. Each is copied under its soname; every one needs an
# entry in packaging/third-party.txt (scripts/package.sh writes its licence
# into THIRD-PARTY-NOTICES.txt). The release build links the SDL2_mixer of
# scripts/linux-deps.sh (LB_LINUX_DEPS), which needs nothing beyond SDL2.
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
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time audiovisual demo of 3D scenes and music")
# Lines of at most 80 characters: the control file keeps them as they are.
set(CPACK_PACKAGE_DESCRIPTION
    "Lattice Bloom by Quasar Fern is a self-running 130-second show: ten 3D scenes
played in step with music synthesized for them, full screen, on OpenGL 4.1
core. Escape ends it early. lattice-bloom-render renders the show offline to
pictures or, with ffmpeg, to a video.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Install with DESTDIR, so that the install rules see the package's own prefix
# (/usr) in CMAKE_INSTALL_PREFIX: the menu entry names the program by it.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${CPACK_PACKAGING_INSTALL_PREFIX})
# Debian ships programs stripped (debug symbols would go to a -dbgsym package).
set(CPACK_STRIP_FILES ON)
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
