# lb_find_font(VAR FILE PURPOSE): the full path of a DejaVu font file into VAR,
# or a configure error that names the Debian package to install.
function(lb_find_font var file purpose)
  find_file(${var} ${file}
    PATHS /usr/share/fonts/truetype/dejavu /usr/share/fonts/TTF /usr/share/fonts/dejavu
    DOC "${purpose}")
  if(NOT ${var})
    message(FATAL_ERROR "${file} not found: install the fonts-dejavu-core package")
  endif()
endfunction()
