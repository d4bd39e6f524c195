# The release archive, built with the Windows images it holds:
# dist/dravik32-<version>-win32.zip in the build tree (scripts/release.sh
# copies it to the repository's dist/).
set(DCS_ARCHIVE ${CMAKE_BINARY_DIR}/dist/dravik32-${PROJECT_VERSION}-win32.zip)
set(_readme ${PROJECT_SOURCE_DIR}/docs/plant-README.txt)
set(_changelog ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
set(_sample ${PROJECT_SOURCE_DIR}/examples/tank.toml ${PROJECT_SOURCE_DIR}/examples/tank.init)
set(_desk $<TARGET_FILE:dravik-host> $<TARGET_FILE:standin_corva> $<TARGET_FILE:standin_dravlink>)
find_program(DCS_PYTHON python3 REQUIRED)
add_custom_command(OUTPUT ${DCS_ARCHIVE}
  COMMAND ${DCS_PYTHON} ${PROJECT_SOURCE_DIR}/scripts/make-archive.py
          --output ${DCS_ARCHIVE} --version ${PROJECT_VERSION}
          --release-text ${DCS_RELEASE_TEXT}
          --dll $<TARGET_FILE:dravik32> --desk ${_desk} --sample ${_sample}
          --readme ${_readme} --changelog ${_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/scripts/make-archive.py dravik32 dravik-host standin_corva
          standin_dravlink ${_readme} ${_changelog} ${_sample}
  VERBATIM)
add_custom_target(release_archive ALL DEPENDS ${DCS_ARCHIVE})
