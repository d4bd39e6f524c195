#include "check_command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <variant>

#include "case_file.h"
#include "command_line.h"
#include "diagnostics/plant_report_reader.h"
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

namespace {

// Checks one string; as JSON, the document is printed, or added to `list`
// when one is given. Returns the verdict's exit status.
int check_string(const std::string& name, const std::string& text, bool json,
                 nlohmann::ordered_json* list) {
  InitStringCheck result(text);
  const InitCheck& check = result.check;
  Tally tally;

  if (json) {
    nlohmann::ordered_json warnings = nlohmann::ordered_json::array();
    result.each_warning([&](const InitWarning& warning) {
      tally.add(warning);
      warnings.push_back(warning_json(check, warning));
    });
    nlohmann::ordered_json document = {
        {"file", name},
        {"bytes", check.Length},
        {"catalogue", table_counts(result.catalogue)},
        {"reading", stop_code(check)},
        {"stop_line", check.StopToken >= 0
                          ? nlohmann::ordered_json(init_token(check, check.StopToken).Line)
                          : nullptr},
        {"warnings", warnings},
        {"verdict", tally.verdict()},
        {"exit_status", tally.status()}};
    if (list != nullptr) {
      list->push_back(document);
    } else {
      std::printf("%s\n", document.dump(2).c_str());
    }
    return tally.status();
  }

  std::printf("initialization string: %s, %d bytes\n", escaped(name).c_str(), check.Length);
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

}  // namespace

int run_check(int argc, char** argv) {
  CLI::App app{
      "Reads an initialization string the way the dravik32 driver reads it and reports what "
      "it would load and every trap it holds; given a plant report, each string it holds. Exit "
      "status: 0 clean, 4 warnings, 5 unusable (no tag would be loaded), 1 the file cannot be "
      "read.",
      "dravik-host check"};
  desk_command_line(app);
  std::string init_path;
  bool json = false;
  app.add_option("INIT", init_path, "the initialization string, as a file, or a plant report")
      ->required();
  app.add_flag("--json", json, "print the result as JSON");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? kRan : kBadInput;
  }

  std::string text;
  try {
    text = read_text_file(init_path, "the initialization string");
  } catch (const InputError& error) {
    std::fprintf(stderr, "dravik-host: %s\n", error.what());
    return kBadInput;
  }
  if (!looks_like_plant_report(text)) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
      std::fprintf(stderr, "dravik-host: %s: longer than any length the emulator can report\n",
                   init_path.c_str());
      return kBadInput;
    }
    return check_string(init_path, text, json, nullptr);
  }
  // A plant report: each string it holds, in turn; the worst verdict counts.
  PlantReport report = read_plant_report(text);
  nlohmann::ordered_json strings = nlohmann::ordered_json::array();
  int status = kRan;
  for (const ReportEvent& event : report.events) {
    const auto* load = std::get_if<ReportLoad>(&event);
    if (load == nullptr || !load->text) continue;
    std::string name = init_path + ":" + std::to_string(load->line);
    if (!json) std::printf("== DCSLoad at line %d: %s\n", load->line, load->release.c_str());
    status = std::max(status, check_string(name, *load->text, json, json ? &strings : nullptr));
  }
  if (json) {
    nlohmann::ordered_json document = {{"file", init_path}, {"strings", strings}};
    document["exit_status"] = report.fault ? kBadInput : status;
    std::printf("%s\n", document.dump(2).c_str());
  }
  if (report.fault) {
    std::fprintf(stderr, "dravik-host: %s:%d: %s\n", init_path.c_str(), report.fault->line,
                 report.fault->message.c_str());
    return kBadInput;
  }
  return status;
}
