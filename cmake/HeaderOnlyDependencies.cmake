# CLI11 and nlohmann/json for a cross build: header-only libraries of the build machine, reached
# through a folder that holds links to just their header folders (VEXARO_HEADER_ONLY_DIRS, set by
# the toolchain file), so that nothing else of the build machine's /usr/include can reach a
# program built for another system.

set(header_only_include ${CMAKE_BINARY_DIR}/header-only-include)
file(MAKE_DIRECTORY ${header_only_include})
foreach(dir IN LISTS VEXARO_HEADER_ONLY_DIRS)
  if(NOT IS_DIRECTORY ${dir})
    message(FATAL_ERROR "${dir} is missing (scripts/install-deps installs it)")
  endif()
  get_filename_component(name ${dir} NAME)
  file(CREATE_LINK ${dir} ${header_only_include}/${name} SYMBOLIC)
endforeach()

foreach(target CLI11::CLI11 nlohmann_json::nlohmann_json)
  add_library(${target} INTERFACE IMPORTED)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${header_only_include})
endforeach()
