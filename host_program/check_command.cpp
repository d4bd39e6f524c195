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
  if (check.Length <= EMPTY_INIT_LENGTH) return "too-short";
  switch (check.Stop) {
    case STOP_EMPTY_TOKEN:
      return "empty-token";
    case STOP_OUT_OF_MEMORY:
      return "out-of-memory";
    default:
      return "end";
  }
}

}  // namespace

InitStringCheck::InitStringCheck(const std::string& text) {
  check_init_string(check, text.data(), static_cast<std::int32_t>(text.size()));
  each_warning([this](const InitWarning& warning) {
    if (init_warning_unusable(warning.Kind)) unusable = true;
    ++warnings;
  });
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
  int status = result.unusable ? kUnusable : (result.warnings > 0 ? kWarnings : kRan);
  const char* verdict = result.unusable ? "unusable" : (result.warnings > 0 ? "warnings" : "clean");

  if (json) {
    nlohmann::ordered_json warnings = nlohmann::ordered_json::array();
    result.each_warning([&](const InitWarning& warning) {
      nlohmann::ordered_json entry = {
          {"code", init_warning_code(warning.Kind)},
          {"severity", init_warning_unusable(warning.Kind) ? "unusable" : "warning"},
          {"line", warning.Line > 0 ? nlohmann::ordered_json(warning.Line) : nullptr}};
      entry["section"] = warning.Section >= 0
                             ? nlohmann::ordered_json(init_section_name(warning.Section))
                             : nullptr;
      entry["message"] = warning_text(check, warning);
      warnings.push_back(entry);
    });
    nlohmann::ordered_json document = {
        {"file", init_path},
        {"bytes", check.Length},
        {"catalogue", table_counts(check.Catalogue)},
        {"reading", stop_code(check)},
        {"stop_line", check.StopToken >= 0
                          ? nlohmann::ordered_json(check.Tokens[check.StopToken].Line)
                          : nullptr},
        {"warnings", warnings},
        {"verdict", verdict},
        {"exit_status", status}};
    std::printf("%s\n", document.dump(2).c_str());
    return status;
  }

  std::printf("initialization string: %s, %d bytes\n", escaped(init_path).c_str(), check.Length);
  std::printf("catalogue: %s\n", catalogue_summary(check.Catalogue).c_str());
  char line[1024];
  MessageText reading = message_text(line, sizeof line);
  init_reading_text(check, reading);
  std::printf("reading: %s\n", line);
  result.each_warning([&](const InitWarning& warning) {
    MessageText text = message_text(line, sizeof line);
    init_warning_line(check, warning, text);
    std::printf("%s\n", line);
  });
  if (result.warnings == 0) {
    std::printf("result: clean\n");
  } else {
    std::printf("result: %s, %d warning%s\n", verdict, result.warnings,
                result.warnings == 1 ? "" : "s");
  }
  return status;
}
