# LB_RELEASE_CREDITS: the credits the opening scene shows
# (content/text/credits.txt), one "role: handle" line each, for the releases'
# README.txt (Linux and Windows).
file(STRINGS ${CMAKE_SOURCE_DIR}/content/text/credits.txt lb_credit_lines REGEX "^[^#].*[|]")
set(LB_RELEASE_CREDITS "")
foreach(line ${lb_credit_lines})
  string(REPLACE "|" ";" parts "${line}")
  list(GET parts 0 role)
  list(GET parts 1 handle)
  string(APPEND LB_RELEASE_CREDITS "${role}: ${handle}\n")
endforeach()

# LB_RELEASE_OPTIONS: the show's options for those who present it, the same
# text in both READMEs.
file(READ ${CMAKE_SOURCE_DIR}/cmake/release-options.txt LB_RELEASE_OPTIONS)
