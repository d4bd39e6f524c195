# One version for the driver, PROJECT_VERSION, and the values of the host
# product's release that the driver shows: in its version resource, in the
# plant report's first line and in `dravik-host --version`. The host
# release's values are cache variables, so a release for another host build
# sets them on the command line (-DDCS_HOST_VERSION=...), never in a source.
set(DCS_HOST_COMPANY "ORVENT Simulation" CACHE STRING "the host product's company")
set(DCS_HOST_PRODUCT "ORVENT" CACHE STRING "the host product's name")
set(DCS_HOST_COPYRIGHT "Copyright (C) 2026 ORVENT Simulation" CACHE STRING
    "the host product's legal copyright")
set(DCS_HOST_VERSION "1.0.0.1" CACHE STRING "the host product's version, four numbers")
set(DCS_PROGRAM_BUILD "1" CACHE STRING "the host program's build number")

if(NOT DCS_HOST_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "DCS_HOST_VERSION must be four numbers joined by dots, not '${DCS_HOST_VERSION}'")
endif()
# The version resource's binary FILEVERSION and PRODUCTVERSION.
set(DCS_HOST_VERSION_NUMBERS "${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}, ${CMAKE_MATCH_4}")
if(NOT DCS_PROGRAM_BUILD MATCHES "^[0-9]+$")
  message(FATAL_ERROR "DCS_PROGRAM_BUILD must be a number, not '${DCS_PROGRAM_BUILD}'")
endif()
foreach(text DCS_HOST_COMPANY DCS_HOST_PRODUCT DCS_HOST_COPYRIGHT)
  if(${text} MATCHES "[\"\\\\]" OR ${text} STREQUAL "")
    message(FATAL_ERROR "${text} must be a text without quotes or backslashes")
  endif()
endforeach()

# The line that names this build wherever it introduces itself.
set(DCS_RELEASE_TEXT
    "dravik32 ${PROJECT_VERSION} for ${DCS_HOST_PRODUCT} ${DCS_HOST_VERSION} (program build ${DCS_PROGRAM_BUILD})")

set(DCS_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/dcs/host/release.h.in ${DCS_GENERATED_DIR}/release.h @ONLY)
add_library(dcs_release INTERFACE)
target_include_directories(dcs_release INTERFACE ${DCS_GENERATED_DIR})
