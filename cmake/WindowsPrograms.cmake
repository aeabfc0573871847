# The Windows programs: lattice-bloom.exe (the show), lattice-bloom-render.exe and
# lattice-bloom-dev.exe (the director's player), static and stand-alone, plus the unit tests that run under Wine. Included by
# the top-level CMakeLists.txt in the cross build only.

# Everything static, the C and C++ runtimes and winpthreads included: the
# programs then import Windows' own DLLs only.
foreach(program lattice-bloom)
  target_link_options(${program} PRIVATE -static -static-libgcc -static-libstdc++)
endforeach()

# The show is a GUI-subsystem program: double-clicked, it opens no console
# window. Its resources: version information, the manifest (per-monitor DPI
# awareness, so that at 150% scaling it renders at the screen's real pixel
# size; UTF-8 as the ANSI code page, for paths) and, where LB_ICON_ICO names
# an .ico file, the icon.
set(LB_ICON_ICO "" CACHE FILEPATH "the show's icon (.ico) for the Windows programs; none when empty")
set_target_properties(lattice-bloom PROPERTIES WIN32_EXECUTABLE ON)
target_link_libraries(lattice-bloom PRIVATE SDL2::SDL2main)

function(lb_windows_resources target description)
  set(LB_RC_DESCRIPTION "${description}")
  set(LB_RC_FILENAME "${target}.exe")
  set(LB_RC_MANIFEST "${CMAKE_SOURCE_DIR}/cmake/windows/lattice-bloom.manifest")
  if(LB_ICON_ICO)
    set(LB_RC_ICON "1 ICON \"${LB_ICON_ICO}\"")
  else()
    set(LB_RC_ICON "")
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/cmake/windows/resources.rc.in ${CMAKE_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/${target}.rc)
endfunction()
lb_windows_resources(lattice-bloom "Lattice Bloom, a real-time audiovisual demo")

# The renderer, as on Linux but without the content generator it needs nothing
# of: the label font of the contact sheet is looked for beside it and in
# Windows' fonts folder (RenderOptions' help says so).
add_subdirectory(tools/cli)
add_subdirectory(tools/music)  # the music's grid only: the synthesizer stays Linux-only
set(LB_RENDER_FONT "")
add_subdirectory(tools/render)
target_link_options(lattice-bloom-render PRIVATE -static -static-libgcc -static-libstdc++)
lb_windows_resources(lattice-bloom-render "Lattice Bloom offline renderer")

# The director's player, as on Linux, with Dear ImGui compiled from Debian's
# sources (LB_IMGUI_SOURCE, from scripts/imgui-source.sh). A console program
# like the renderer: it prints its help, its reload reports and screenshots'
# clock values.
set(LB_IMGUI_SOURCE "" CACHE PATH "Dear ImGui's sources (the folder scripts/imgui-source.sh prints), for lattice-bloom-dev.exe")
add_subdirectory(tools/dev)
target_link_libraries(lattice-bloom-dev PRIVATE SDL2::SDL2main)
target_link_options(lattice-bloom-dev PRIVATE -static -static-libgcc -static-libstdc++)
lb_windows_resources(lattice-bloom-dev "Lattice Bloom director's player")

if(LB_BUILD_TESTS)
  add_subdirectory(tests/windows)
endif()

# The release's README.txt (scripts/package-windows.sh gives it Windows line
# endings).
include(${CMAKE_SOURCE_DIR}/cmake/ReleaseCredits.cmake)
configure_file(${CMAKE_SOURCE_DIR}/cmake/windows/README.txt.in ${CMAKE_BINARY_DIR}/README.txt @ONLY)
