# What a desktop needs beside the programs, made from the hand-written sources
# in packaging/ into ${CMAKE_BINARY_DIR}/packaging:
#   LB_INSTALLED_DESKTOP_TEMPLATE  the installed menu entry, but for the
#                           program's path (@LB_DESKTOP_EXEC@), filled in by the
#                           install rule
#   LB_BUNDLE_DESKTOP_FILE  the release folder's copy (Exec and Icon by name; its
#                           README.txt says how to point them at the folder)
#   LB_METAINFO             the AppStream metadata, its releases read from the changelog
#   LB_CHANGELOG_GZ         packaging/changelog compressed as Debian wants it
#   LB_MAN_PAGES            section-6 manual pages made by help2man from each
#                           program's --help (empty where help2man is missing)
set(lb_packaging_out ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${lb_packaging_out})
set(LB_DESKTOP_TEMPLATE ${CMAKE_SOURCE_DIR}/packaging/lattice-bloom.desktop.in)
# The menu's categories (freedesktop.org's names), for the menu entry and the
# AppStream metadata alike: a show to watch, not a game to play.
set(LB_MENU_CATEGORIES AudioVideo Video)
set(LB_DESKTOP_CATEGORIES "${LB_MENU_CATEGORIES};")  # "AudioVideo;Video;"
set(LB_APPSTREAM_CATEGORIES "")
foreach(category ${LB_MENU_CATEGORIES})
  string(APPEND LB_APPSTREAM_CATEGORIES "    <category>${category}</category>\n")
endforeach()
string(STRIP "${LB_APPSTREAM_CATEGORIES}" LB_APPSTREAM_CATEGORIES)

set(LB_DESKTOP_ICON lattice-bloom)
set(LB_BUNDLE_DESKTOP_FILE ${lb_packaging_out}/lattice-bloom.desktop)
set(LB_DESKTOP_EXEC lattice-bloom)
configure_file(${LB_DESKTOP_TEMPLATE} ${LB_BUNDLE_DESKTOP_FILE} @ONLY)
# The installed entry's program path is known only when installing: this copy
# leaves @LB_DESKTOP_EXEC@ for the install rule to fill.
set(LB_INSTALLED_DESKTOP_TEMPLATE ${lb_packaging_out}/lattice-bloom.desktop.installed.in)
set(LB_DESKTOP_EXEC "@LB_DESKTOP_EXEC@")
configure_file(${LB_DESKTOP_TEMPLATE} ${LB_INSTALLED_DESKTOP_TEMPLATE} @ONLY)

# --- The changelog: Debian's format, the one list of releases -------------------
# Each entry starts "lattice-bloom (VERSION) DISTRIBUTION; urgency=..." and ends
# " -- NAME <MAIL>  Day, DD Mon YYYY HH:MM:SS +ZZZZ" (RFC 5322 date).
set(lb_changelog ${CMAKE_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${lb_changelog})
file(STRINGS ${lb_changelog} lb_changelog_lines REGEX "^(lattice-bloom [(]| -- )")
set(lb_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(LB_APPSTREAM_RELEASES "")
set(lb_release_version "")
set(lb_newest_version "")
foreach(line ${lb_changelog_lines})
  if(line MATCHES "^lattice-bloom [(]([^)]+)[)]")
    set(lb_release_version ${CMAKE_MATCH_1})
    if(NOT lb_newest_version)
      set(lb_newest_version ${lb_release_version})
    endif()
  elseif(line MATCHES "^ -- .*>  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(lb_year ${CMAKE_MATCH_3})
    set(lb_day ${CMAKE_MATCH_1})
    list(FIND lb_months ${CMAKE_MATCH_2} lb_month)
    if(lb_month LESS 0 OR NOT lb_release_version)
      message(FATAL_ERROR "${lb_changelog}: cannot read the entry's closing line: ${line}")
    endif()
    math(EXPR lb_month "${lb_month} + 1")
    string(REGEX REPLACE "^0" "" lb_day "${lb_day}")  # "07" or "7": padded below
    foreach(part lb_month lb_day)
      if(${part} LESS 10)
        set(${part} 0${${part}})
      endif()
    endforeach()
    string(APPEND LB_APPSTREAM_RELEASES
           "    <release version=\"${lb_release_version}\" date=\"${lb_year}-${lb_month}-${lb_day}\"/>\n")
    set(lb_release_version "")
  endif()
endforeach()
if(NOT lb_newest_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "${lb_changelog}: the newest entry is version '${lb_newest_version}', the project is "
                      "${PROJECT_VERSION}: add an entry for this release")
endif()
string(STRIP "${LB_APPSTREAM_RELEASES}" LB_APPSTREAM_RELEASES)
set(LB_APPSTREAM_RELEASES "    ${LB_APPSTREAM_RELEASES}")

# gzip -9n: the best compression, and no file name or time stamp in the header,
# so the package is the same from one build to the next.
set(LB_CHANGELOG_GZ ${lb_packaging_out}/changelog.gz)
execute_process(COMMAND gzip -9n -c ${lb_changelog} OUTPUT_FILE ${LB_CHANGELOG_GZ} RESULT_VARIABLE lb_gzip_status)
if(NOT lb_gzip_status EQUAL 0)
  message(FATAL_ERROR "gzip -9n ${lb_changelog} failed: ${lb_gzip_status}")
endif()

# --- AppStream ------------------------------------------------------------------
# The id is the group's domain reversed; the file is named after it.
set(LB_APPSTREAM_ID invalid.quasarfern.LatticeBloom)
set(LB_METAINFO ${lb_packaging_out}/${LB_APPSTREAM_ID}.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/packaging/metainfo.xml.in ${LB_METAINFO} @ONLY)

# --- Manual pages ---------------------------------------------------------------
# Section 6, games and demos. help2man runs each program with --help; the
# version is the project's.
# Sanitizer builds leave them out: they are never packaged.
find_program(LB_HELP2MAN help2man)
set(LB_MAN_PAGES "")
if(LB_HELP2MAN AND NOT LB_SANITIZE AND NOT LB_FUZZ)
  set(lb_man_names_lattice-bloom "real-time audiovisual demo of ten 3D scenes and their music")
  set(lb_man_names_lattice-bloom-render "render Lattice Bloom offline to pictures or a video")
  foreach(program lattice-bloom lattice-bloom-render)
    set(page ${lb_packaging_out}/${program}.6.gz)
    add_custom_command(
      OUTPUT ${page}
      COMMAND bash -c "set -o pipefail; \"$1\" --no-info --section=6 --version-string=\"$2\" --name=\"$3\" \"$4\" | gzip -9n >\"$5\""
              help2man ${LB_HELP2MAN} ${PROJECT_VERSION} ${lb_man_names_${program}} $<TARGET_FILE:${program}> ${page}
      DEPENDS ${program}
      COMMENT "Writing the manual page of ${program}"
      VERBATIM)
    list(APPEND LB_MAN_PAGES ${page})
  endforeach()
  add_custom_target(lb_man ALL DEPENDS ${LB_MAN_PAGES})
elseif(NOT LB_HELP2MAN)
  message(STATUS "help2man not found: no manual pages (install the help2man package)")
endif()
