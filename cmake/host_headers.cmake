# CLI11 and nlohmann/json are header-only, so a cross build can use the build
# machine's copies (Debian's libcli11-dev and nlohmann-json3-dev).  Their
# packages' own CMake files would put the whole of the build machine's
# include directory on the command line, and with it glibc's headers ahead of
# the target's; instead only the two libraries' folders are linked into a
# folder of the build, which the scenario-tool targets use.
set(SCENARIO_HOST_HEADERS /usr/include CACHE PATH
    "Directory holding the header-only CLI/ and nlohmann/ folders for a cross build")

set(host_headers_dir ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${host_headers_dir})
foreach(library CLI nlohmann)
  if(NOT IS_DIRECTORY ${SCENARIO_HOST_HEADERS}/${library})
    message(WARNING "${SCENARIO_HOST_HEADERS}/${library} not found: scenario-tool is not built")
    return()
  endif()
  file(CREATE_LINK ${SCENARIO_HOST_HEADERS}/${library} ${host_headers_dir}/${library} SYMBOLIC)
endforeach()

# Imported targets' directories are system directories: the libraries'
# own warnings do not count against this project's -Werror.
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${host_headers_dir})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                      INTERFACE_INCLUDE_DIRECTORIES ${host_headers_dir})
set(CLI11_FOUND ON)
set(nlohmann_json_FOUND ON)
