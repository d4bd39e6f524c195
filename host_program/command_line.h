// What the desk tool's two command lines share.
#pragma once

#include <CLI/CLI.hpp>

#include "release.h"

// Options are --long only, on Windows too: there an argument starting with
// "/" is an absolute path (C:/ or /tmp as wine maps it), never an option.
// Both command lines answer --version with the release they belong to.
inline void desk_command_line(CLI::App& app) {
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", "dravik-host: " DCS_RELEASE_TEXT);
}
