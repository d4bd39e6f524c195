#include "check_command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>

#include "case_file.h"
#include "command_line.h"
#include "exit_status.h"
#include "report.h"

namespace {

const char* stop_code(const InitCheck& check) {
  switch (init_reading(check)) {
    case STOP_NOT_READ:
      return "too-short";
    case STOP_EMPTY_TOKEN:
      return "empty-token";
    case STOP_OUT_OF_MEMORY:
      return "out-of-memory";
    case STOP_AT_END:
      break;
  }
  return "end";
}

}  // namespace

// The warnings counted as they are written, for the verdict after them.
struct Tally {
  int warnings = 0;
  bool unusable = false;
  void add(const InitWarning& warning) {
    unusable |= init_warning_unusable(warning.Kind);
    ++warnings;
  }
  int status() const { return unusable ? kUnusable : (warnings > 0 ? kWarnings : kRan); }
  const char* verdict() const {
    return unusable ? "unusable" : (warnings > 0 ? "warnings" : "clean");
  }
};

InitStringCheck::InitStringCheck(const std::string& text) {
  check_init_string(check, catalogue, text.data(), static_cast<std::int32_t>(text.size()));
}

std::optional<std::string> read_init_text(const std::string& path) {
  std::string text;
  try {
    text = read_text_file(path, "the initialization string");
  } catch (const InputError& error) {
    std::fprintf(stderr, "dravik-host: %s\n", error.what());
    return std::nullopt;
  }
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    std::fprintf(stderr, "dravik-host: %s: longer than any length the emulator can report\n",
                 path.c_str());
    return std::nullopt;
  }
  return text;
}

int run_check(int argc, char** argv) {
  CLI::App app{
      "Reads an initialization string the way the dravik32 driver reads it and reports what "
      "it would load and every trap it holds. Exit status: 0 clean, 4 warnings, 5 unusable "
      "(no tag would be loaded), 1 the file cannot be read.",
      "dravik-host check"};
  desk_command_line(app);
  std::string init_path;
  bool json = false;
  app.add_option("INIT", init_path, "the initialization string, as a file")->required();
  app.add_flag("--json", json, "print the result as JSON");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? kRan : kBadInput;
  }

  std::optional<std::string> text = read_init_text(init_path);
  if (!text) return kBadInput;
  InitStringCheck result(*text);
  const InitCheck& check = result.check;
  Tally tally;

  if (json) {
    nlohmann::ordered_json warnings = nlohmann::ordered_json::array();
    result.each_warning([&](const InitWarning& warning) {
      tally.add(warning);
      warnings.push_back(warning_json(check, warning));
    });
    nlohmann::ordered_json document = {
        {"file", init_path},
        {"bytes", check.Length},
        {"catalogue", table_counts(result.catalogue)},
        {"reading", stop_code(check)},
        {"stop_line", check.StopToken >= 0
                          ? nlohmann::ordered_json(init_token(check, check.StopToken).Line)
                          : nullptr},
        {"warnings", warnings},
        {"verdict", tally.verdict()},
        {"exit_status", tally.status()}};
    std::printf("%s\n", document.dump(2).c_str());
    return tally.status();
  }

  std::printf("initialization string: %s, %d bytes\n", escaped(init_path).c_str(), check.Length);
  std::printf("catalogue: %s\n", catalogue_summary_text(result.catalogue).c_str());
  std::printf("reading: %s\n", init_reading_text(check).c_str());
  result.each_warning([&](const InitWarning& warning) {
    tally.add(warning);
    std::printf("%s\n", init_warning_line(check, warning).c_str());
  });
  if (tally.warnings == 0) {
    std::printf("result: clean\n");
  } else {
    std::printf("result: %s, %d warning%s\n", tally.verdict(), tally.warnings,
                tally.warnings == 1 ? "" : "s");
  }
  return tally.status();
}
