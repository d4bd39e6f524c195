#include "explain_command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "case_file.h"
#include "check_command.h"
#include "command_line.h"
#include "diagnostics/bindings.h"
#include "diagnostics/report_text.h"
#include "exit_status.h"
#include "report.h"

namespace {

using Json = nlohmann::ordered_json;

const char* refusal_text(const std::string& refusal) {
  if (refusal == "ctrl-text-empty")
    return "a controller's text field is empty (DCSCtrlTagFieldError)";
  if (refusal == "pv-text-empty")
    return "a process variable's text field is empty (DCSPVTagFieldError)";
  if (refusal == "no-tags") return "the emulator offers no tags: its string holds 33 bytes or less";
  return "no catalogue: the case must be reloaded or recreated";
}

using TableCounts = std::array<std::int32_t, TAG_TABLES>;

// Tells the check what the driver's loader told it in a load that ran out
// of memory: every token up to the first record the report's tables lack,
// then that memory ran out, then every later token as unread. Without
// tables, memory ran out as the tables were made, before any record. The
// replay itself has memory enough to read the whole text.
class MemoryRanOut {
 public:
  MemoryRanOut(const LoadObserver& check, const std::optional<TableCounts>& tables)
      : check_(check), tables_(tables) {}

  LoadObserver observer() { return {this, begin, seen, keep}; }

  // After the load: the last record of the text may be the one not stored.
  void finish() {
    if (state_ != UNREAD) ran_out();
  }

 private:
  enum State : std::uint8_t { READING, IN_LOST_RECORD, UNREAD };

  static void begin(void* self, char* text, std::int32_t length) {
    const LoadObserver& check = static_cast<MemoryRanOut*>(self)->check_;
    check.Begin(check.Context, text, length);
  }
  static bool keep(void* self, char* text) {
    const LoadObserver& check = static_cast<MemoryRanOut*>(self)->check_;
    return check.Keep(check.Context, text);
  }
  static void seen(void* self, const LoadEvent& event) {
    static_cast<MemoryRanOut*>(self)->seen(event);
  }

  void seen(const LoadEvent& event) {
    if (state_ == READING && !tables_) ran_out();
    if (state_ == IN_LOST_RECORD && event.Kind != SEEN_FIELD) ran_out();
    if (state_ == UNREAD) {
      // The driver's loader tells no empty token after it stopped.
      if (event.Token != nullptr && *event.Token != '\0') {
        tell({event.Token, section_, SEEN_UNREAD, 0, false, -1});
      }
      return;
    }
    if (event.Kind == SEEN_NAME && event.Entry >= 0 &&
        event.Entry >= (*tables_)[static_cast<std::size_t>(event.Section)]) {
      state_ = IN_LOST_RECORD;
      section_ = event.Section;
    }
    tell(event);
  }

  void ran_out() {
    tell({nullptr, section_, SEEN_OUT_OF_MEMORY, 0, false, -1});
    state_ = UNREAD;
  }

  void tell(const LoadEvent& event) { check_.Seen(check_.Context, event); }

  LoadObserver check_;
  const std::optional<TableCounts>& tables_;
  State state_ = READING;
  std::int8_t section_ = NO_KIND;
};

// The driver's catalogue and the check of its last load, as they stood
// after each event.
class Replay {
 public:
  Replay() = default;
  ~Replay() { forget(); }
  Replay(const Replay&) = delete;
  Replay& operator=(const Replay&) = delete;

  // A load, appended to the catalogue as the driver appended it. False when
  // the tables it gives are not those the report recorded.
  bool load(const ReportLoad& load) {
    check_ = {};
    checked_ = false;
    if (load.text) {
      auto length = static_cast<std::int32_t>(load.text->size());
      auto* copy = static_cast<char*>(std::malloc(load.text->size() + 1));
      if (copy == nullptr) throw std::bad_alloc();
      std::memcpy(copy, load.text->data(), load.text->size());
      copy[load.text->size()] = '\0';
      LoadObserver check = init_check_observer(check_);
      if (load.result == "out-of-memory") {
        // The driver's tables hold what it read before memory ran out, and
        // no tables when it could not make them.
        bool had_catalogue = catalogue_exists(catalogue_);
        MemoryRanOut ran_out(check, load.tables);
        LoadObserver observer = ran_out.observer();
        load_text(catalogue_, copy, length, &observer);
        ran_out.finish();
        if (load.tables) {
          keep_first(*load.tables);
        } else if (!had_catalogue) {
          release_catalogue(catalogue_);
        }
      } else {
        load_text(catalogue_, copy, length, &check);
      }
      checked_ = true;
    }
    if (!load.tables) return !catalogue_exists(catalogue_);
    bool same = catalogue_exists(catalogue_);
    for_each_kind(catalogue_, [&](const auto& table, int kind) {
      same = same && table.Count == (*load.tables)[kind];
    });
    return same;
  }

  void destroy() { forget(); }

  const TagCatalogue& catalogue() const { return catalogue_; }
  const InitCheck* check() const { return checked_ ? &check_ : nullptr; }

 private:
  void keep_first(const TableCounts& counts) {
    for_each_kind(catalogue_, [&](auto& table, int kind) {
      std::int32_t kept = counts[static_cast<std::size_t>(kind)];
      if (kept < 0 || kept >= table.Count) return;
      for (std::int32_t i = kept; i < table.Count; ++i) std::free(table.Entries[i].Name);
      table.Count = static_cast<std::int16_t>(kept);
    });
  }

  void forget() {
    check_ = {};
    checked_ = false;
    release_catalogue(catalogue_);
  }

  TagCatalogue catalogue_{};
  InitCheck check_{};
  bool checked_ = false;
};

// What each entry point says, as text lines or as JSON.
class Explanation {
 public:
  Explanation(bool json, std::string file) : json_(json), file_(std::move(file)) {}

  // False when the report's tables differ from the replay's.
  bool load(const ReportLoad& load, Replay& replay) {
    bool same = replay.load(load);
    const InitCheck* check = replay.check();
    // A load the driver did not read, or whose buffer it did not get: the
    // warning it met, without a check of the string.
    InitCheck none{};
    none.Length = load.length;
    none.StopToken = -1;
    // Each warning's words, made while its duplicates' group is valid.
    std::vector<std::string> lines;
    Json warnings = Json::array();
    auto add = [&](const InitCheck& seen, const InitWarning& warning) {
      if (json_) {
        warnings.push_back(warning_json(seen, warning));
      } else {
        lines.push_back(init_warning_line(seen, warning));
      }
    };
    if (check != nullptr) {
      for_each_init_warning(*check, [&](const InitWarning& warning) { add(*check, warning); });
    } else if (load.result == "too-short") {
      add(none, {WARN_TOO_SHORT, 0, -1, NO_INIT_SECTION, load.length, {}});
    } else if (load.result == "out-of-memory") {
      add(none, {WARN_OUT_OF_MEMORY, 0, -1, NO_INIT_SECTION, 0, {}});
    }
    const TagCatalogue& catalogue = replay.catalogue();
    bool exists = catalogue_exists(catalogue);
    if (json_) {
      Json event = {{"entry_point", "DCSLoad"},
                    {"line", load.line},
                    {"release", load.release},
                    {"length", load.length},
                    {"result", load.result}};
      if (check != nullptr) event["reading"] = init_reading_text(*check);
      event["warnings"] = warnings;
      event["catalogue"] = exists ? table_counts(catalogue) : Json(nullptr);
      events_.push_back(event);
      return same;
    }
    line("== DCSLoad: " + load.release);
    line("initialization string: " + std::to_string(load.length) + " bytes");
    if (check != nullptr) line("reading: " + init_reading_text(*check));
    for (const std::string& each : lines) line(each);
    line(exists ? "catalogue: " + catalogue_summary_text(catalogue) : "catalogue: none");
    return same;
  }

  void configure(const ReportConfigure& configure, const Replay& replay) {
    Json event = {{"entry_point", "DCSConfigure"}, {"line", configure.line}};
    if (!json_) line("== DCSConfigure");
    if (configure.result != 1) {
      if (json_) {
        event["result"] = 0;
        event["refused"] = configure.refusal;
        events_.push_back(event);
      } else {
        line(std::string("result: 0, refused: ") + refusal_text(configure.refusal));
      }
      return;
    }
    std::vector<ItemFacts> facts;
    for (const ReportItem& item : configure.items) {
      if (item.has_fields && item.tag) {
        facts.push_back(
            {item.controller, *item.tag, item.ds, item.active, item.code, item.struct_idx});
      }
    }
    std::vector<BindingDescription> described =
        describe_bindings(replay.catalogue(), replay.check(), facts);
    Json bindings = Json::array();
    std::size_t next = 0;
    for (const ReportItem& item : configure.items) {
      const char* kind = item.controller ? "controller" : "process variable";
      std::string label = std::string(kind) + " " + std::to_string(item.index);
      if (!item.has_fields || !item.tag) {
        if (json_) {
          bindings.push_back(
              {{"item", kind}, {"name", "index " + std::to_string(item.index)}, {"fields", false}});
        } else {
          line(label + ": no driver fields");
        }
        continue;
      }
      const BindingDescription& each = described[next++];
      if (!json_) {
        line(label + " " + each.line);
        continue;
      }
      bindings.push_back(binding_json({item.controller, "index " + std::to_string(item.index),
                                       *item.tag, item.ds, item.active, each.table, item.code,
                                       item.struct_idx, each.reason, each.line, each.suggestions}));
    }
    if (json_) {
      event["bindings"] = bindings;
      event["failed_reads_counted"] = !configure.counts_refused;
      event["result"] = 1;
      events_.push_back(event);
      return;
    }
    if (configure.counts_refused) {
      line(
          "report: memory for the failed-read counts was not obtained; failed reads are not "
          "counted");
    }
    line("result: 1, the link is enabled");
  }

  void reads(const ReportReads& reads) {
    if (json_) {
      Json failed = Json::array();
      for (const ReportFailedReads& each : reads.failed) {
        failed.push_back({{"controller", each.controller},
                          {"count", each.count},
                          {"last_status", each.last_status}});
      }
      events_.push_back({{"entry_point", reads.entry_point},
                         {"line", reads.line},
                         {"counted", reads.counted},
                         {"failed_reads", failed}});
      return;
    }
    line("== " + reads.entry_point);
    for (const ReportFailedReads& each : reads.failed) {
      line("controller " + std::to_string(each.controller) + ": " +
           failed_reads_text(each.count, each.last_status));
    }
    if (!reads.counted) {
      line("failed reads: not counted since the last DCSConfigure");
    } else if (reads.failed.empty()) {
      line("failed reads since the last report: none");
    }
  }

  void destroy(const ReportDestroy& destroy) {
    if (json_) events_.push_back({{"entry_point", "DCSDestroy"}, {"line", destroy.line}});
  }

  // The fault, on standard error, and the JSON document; the exit status.
  int finish(const std::optional<ReportFault>& fault) {
    if (fault) {
      std::fprintf(stderr, "dravik-host: %s:%d: %s\n", file_.c_str(), fault->line,
                   fault->message.c_str());
    }
    int status = fault ? kBadInput : kRan;
    if (json_) {
      Json document = {{"report", file_}, {"events", events_}};
      document["error"] =
          fault ? Json{{"line", fault->line}, {"message", fault->message}} : Json(nullptr);
      document["exit_status"] = status;
      std::printf("%s\n", document.dump().c_str());
    }
    return status;
  }

 private:
  // One line, control characters escaped so no text can start a line.
  void line(const std::string& text) { std::printf("%s\n", escaped(text).c_str()); }

  bool json_;
  std::string file_;
  Json events_ = Json::array();
};

}  // namespace

PlantReport read_plant_report_file(const std::string& path) {
  return read_plant_report(read_text_file(path, "the plant report"));
}

Case read_case_or_report(const std::string& path) {
  std::string text = read_text_file(path, "the case");
  if (!looks_like_plant_report(text)) return read_case(path);
  PlantReport report = read_plant_report(text);
  if (report.fault) throw InputError(path, report.fault->line, report.fault->message);
  const ReportConfigure* configure = last_configure(report);
  if (configure == nullptr) {
    throw InputError(path, 0, "the plant report holds no DCSConfigure whose items make a case");
  }
  Case items;
  items.file = path;
  for (const ReportItem& item : configure->items) {
    if (!item.has_fields || !item.tag) continue;
    std::string name = "index " + std::to_string(item.index);
    if (item.controller) {
      items.controllers.push_back({name, *item.tag, item.ds, item.active, Drives::Nothing});
    } else {
      items.points.push_back({name, *item.tag, item.ds, item.active, Signal::Constant, 0.0});
    }
  }
  return items;
}

int run_explain(int argc, char** argv) {
  CLI::App app{
      "Replays a plant report (the file DRAVIK32_REPORT named) with the driver's own loader and "
      "binding, and explains each entry point: the load's reading and warnings, every item's "
      "binding or the reason it has none, and the failed reads."};
  desk_command_line(app);
  std::string path;
  bool json = false;
  app.add_option("report", path, "the plant report")->required();
  app.add_flag("--json", json, "print one JSON document");
  app.footer("Exit status: 0 explained, 1 the report cannot be read or is not whole.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? kRan : kBadInput;
  }
  PlantReport report;
  try {
    report = read_plant_report_file(path);
  } catch (const InputError& error) {
    std::fprintf(stderr, "dravik-host: %s\n", error.what());
    return kBadInput;
  }
  Explanation explanation(json, path);
  Replay replay;
  std::optional<ReportFault> fault = report.fault;
  for (const ReportEvent& event : report.events) {
    if (const auto* load = std::get_if<ReportLoad>(&event)) {
      if (!explanation.load(*load, replay)) {
        fault = ReportFault{load->line,
                            "the DCSLoad's string does not give the tables it recorded: the "
                            "report was edited, or written by another driver"};
        break;
      }
    } else if (const auto* configure = std::get_if<ReportConfigure>(&event)) {
      explanation.configure(*configure, replay);
    } else if (const auto* reads = std::get_if<ReportReads>(&event)) {
      explanation.reads(*reads);
    } else if (const auto* destroy = std::get_if<ReportDestroy>(&event)) {
      explanation.destroy(*destroy);
      replay.destroy();
    }
  }
  return explanation.finish(fault);
}
