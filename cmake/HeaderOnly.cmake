# Header-only libraries from the build machine's packages. The cross builds
# search only their own sysroot, so each library's folder is linked into one
# directory of the build tree and only that directory goes on the include
# path, never the whole of /usr/include.
set(DCS_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${DCS_HEADER_ONLY_DIR})

function(dcs_use_header_only target)
  foreach(folder IN LISTS ARGN)
    if(NOT EXISTS /usr/include/${folder})
      message(FATAL_ERROR "/usr/include/${folder} is missing: run scripts/install-deps.sh")
    endif()
    file(CREATE_LINK /usr/include/${folder} ${DCS_HEADER_ONLY_DIR}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} SYSTEM PRIVATE ${DCS_HEADER_ONLY_DIR})
endfunction()
