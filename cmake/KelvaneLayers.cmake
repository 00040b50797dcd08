# The layers of the program. Each folder of the core is a static library whose include root holds
# that folder alone (a link in the build tree), so "folder/File.h" is found only by a target that
# links the folder's library: an include against the layering does not compile.

# kelvane_include_root(<target> <folder>): lets target and whoever links it include
# "<folder>/...", and nothing else of the source tree.
function(kelvane_include_root target folder)
  set(root "${PROJECT_BINARY_DIR}/layers/${folder}")
  file(MAKE_DIRECTORY "${root}")
  file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}" "${root}/${folder}" SYMBOLIC)
  target_include_directories(${target} PUBLIC "${root}")
endfunction()

# kelvane_layer(<folder> [DEPENDS <library>...]): the library kelvane_<folder in lower case>,
# which the folder's CMakeLists.txt fills with its sources. Dependencies point downward only.
function(kelvane_layer folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  string(TOLOWER "${folder}" name)
  add_library(kelvane_${name} STATIC)
  kelvane_include_root(kelvane_${name} ${folder})
  target_link_libraries(kelvane_${name} PUBLIC kelvane_warnings ${ARG_DEPENDS})
  set_property(GLOBAL APPEND PROPERTY KELVANE_CORE_LIBRARIES kelvane_${name})
endfunction()
