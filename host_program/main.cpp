// dravik-host: plays a simulation case through the dravik32 driver the way
// the host does (the library loaded at run time, the nine entry points in the
// host's order), against the stand-in emulator, and shows what crossed the
// link. `dravik-host check INIT` reads an initialization string as the driver
// does and says what it would load.
#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "case_file.h"
#include "catalogue/binding.h"
#include "catalogue/tag_catalogue.h"
#include "catalogue/tag_name.h"
#include "check_command.h"
#include "command_line.h"
#include "corva/corva_control.h"
#include "diagnostics/suggestions.h"
#include "diagnostics/unbound_reason.h"
#include "diff_command.h"
#include "exit_status.h"
#include "host_platform.h"
#include "host_record.h"
#include "plant.h"
#include "plot.h"
#include "report.h"

namespace {

// The driver's messages, shown as they arrive.
class DriverMessages {
 public:
  explicit DriverMessages(Report& report) : report_(report) {}
  void show() {
    for (const DriverBox& box : take_driver_boxes()) report_.driver_box(box.caption, box.text);
    for (int i = 0; i < corva_error_key_count(); ++i) report_.driver_error_key(corva_error_key(i));
    corva_reset();
  }

 private:
  Report& report_;
};

std::string reason_for(const InitCheck& check, bool controller, const std::string& tag,
                       std::int32_t ds, const ItemSuggestions* suggestions) {
  char buffer[1024];
  MessageText text = message_text(buffer, sizeof buffer);
  unbound_reason(check.Catalogue, &check, controller, tag.c_str(), ds, text);
  append_suggestions(text, check.Catalogue, suggestions);
  return buffer;
}

std::vector<SuggestionNote> suggestion_notes(const TagCatalogue& catalogue,
                                             const ItemSuggestions* suggestions) {
  std::vector<SuggestionNote> notes;
  for (int i = 0; suggestions != nullptr && i < suggestions->Count; ++i) {
    const TagSuggestion& each = suggestions->Tags[i];
    SuggestedTag tag = suggested_tag(catalogue, each);
    notes.push_back({tag.Name, TAG_KINDS[each.Kind].Name, each.Entry, tag.Ds});
  }
  return notes;
}

// Reports every item's binding; returns how many items are unbound.
int report_bindings(Report& report, const Case& plan, HostRecord& record, const InitCheck& check) {
  // The tag of each unbound item, controllers first, for the suggestions.
  std::vector<const char*> unbound_tags;
  for (std::size_t i = 0; i < plan.controllers.size(); ++i) {
    std::int32_t code = slot_int(record.ctrl(static_cast<int>(i)).Fields[SLOT_TYPE]);
    unbound_tags.push_back(bound_table(true, code) ? nullptr : plan.controllers[i].tag.c_str());
  }
  for (std::size_t i = 0; i < plan.points.size(); ++i) {
    std::int32_t code = slot_int(record.pv(static_cast<int>(i)).Fields[SLOT_TYPE]);
    unbound_tags.push_back(bound_table(false, code) ? nullptr : plan.points[i].tag.c_str());
  }
  TagSuggestions suggestions;
  find_suggestions(suggestions, check.Catalogue, unbound_tags.data(),
                   static_cast<std::int32_t>(unbound_tags.size()));
  std::int32_t position = 0;
  int unbound = 0;
  auto describe = [&](bool controller, const std::string& name, const std::string& tag,
                      std::int32_t ds, bool active, DCSValue* fields) {
    std::int32_t code = slot_int(fields[SLOT_TYPE]);
    const ItemSuggestions* suggested = suggestions_for(suggestions, position++);
    BindingNote item{controller, name,
                     tag,        ds,
                     active,     bound_table(controller, code),
                     code,       slot_int(fields[SLOT_STRUCT_IDX]),
                     "",         "",
                     {}};
    if (item.table == nullptr) {
      item.reason = reason_for(check, controller, tag, ds, suggested);
      item.suggestions = suggestion_notes(check.Catalogue, suggested);
      ++unbound;
    }
    char line[1024];
    MessageText text = message_text(line, sizeof line);
    item_binding_text({controller, tag.c_str(), ds, active, code, item.index}, check.Catalogue,
                      &check, suggested, text);
    item.line = line;
    report.binding(item);
  };
  for (std::size_t i = 0; i < plan.controllers.size(); ++i) {
    const ControllerItem& c = plan.controllers[i];
    describe(true, c.name, c.tag, c.ds, c.active, record.ctrl(static_cast<int>(i)).Fields);
  }
  for (std::size_t i = 0; i < plan.points.size(); ++i) {
    const PointItem& p = plan.points[i];
    describe(false, p.name, p.tag, p.ds, p.active, record.pv(static_cast<int>(i)).Fields);
  }
  release_suggestions(suggestions);
  return unbound;
}

template <typename Entry>
bool has_tag(const TagTable<Entry>& table, const TagRef& ref) {
  for (std::int32_t i = 0; i < table.Count; ++i) {
    if (table.Entries[i].Id == ref.ds && same_tag_name(ref.name.c_str(), table.Entries[i].Name)) {
      return true;
    }
  }
  return false;
}

bool in_catalogue(const TagCatalogue& c, const TagRef& ref) {
  bool found = false;
  visit_table(c, ref.kind, [&](const auto& table) { found = has_tag(table, ref); });
  return found;
}

// The emulator's rules act on its tags; a rule naming a tag the catalogue
// lacks acts on nothing the driver can see. Returns how many such tags.
int report_rule_tags(Report& report, const Case& plan, const TagCatalogue& catalogue) {
  int missing = 0;
  auto check = [&](const char* rule, const char* key, const TagRef& ref) {
    if (in_catalogue(catalogue, ref)) return;
    ++missing;
    report.rule_warning(plan.file.string() + ":" + std::to_string(ref.line) + ": the emulator " +
                        rule + " rule's " + key + " " + kind_name(ref.kind) + ":" +
                        std::to_string(ref.ds) + ":" + ref.name + " is no tag of the catalogue");
  };
  for (const PiRule& r : plan.pi_rules) {
    check("pi", "measurement", r.measurement);
    check("pi", "output", r.output);
  }
  for (const SwitchRule& r : plan.switch_rules) {
    check("switch", "measurement", r.measurement);
    check("switch", "output", r.output);
  }
  for (const ScaleRule& r : plan.scale_rules) {
    check("scale", "input", r.input);
    check("scale", "output", r.output);
  }
  for (const StateRule& r : plan.state_rules) {
    check("state", "input", r.input);
    check("state", "output", r.output);
  }
  return missing;
}

class Progress {
 public:
  explicit Progress(std::int64_t steps)
      : steps_(steps), shown_(steps >= 2000 && is_terminal(stderr)) {}
  void at(std::int64_t step) {
    if (shown_ && step % (steps_ / 100) == 0) {
      std::fprintf(stderr, "\rstep %lld of %lld", static_cast<long long>(step),
                   static_cast<long long>(steps_));
    }
  }
  ~Progress() {
    if (shown_) std::fprintf(stderr, "\r%40s\r", "");
  }

 private:
  std::int64_t steps_;
  bool shown_;
};

struct RunOptions {
  std::int64_t every = 1;
  bool strict = false;
  std::string plot_file;
};

int play(const Case& plan, const std::string& init_text, const DriverEntryPoints& dcs,
         Report& report, const RunOptions& options) {
  report.case_title(plan.title);
  // The string as the driver will read it, with what it holds for a reader.
  InitStringCheck offered(init_text);
  const InitCheck& check = offered.check;
  offered.each_warning([&](const InitWarning& warning) { report.init_warning(check, warning); });
  report.catalogue(catalogue_exists(check.Catalogue) ? &check.Catalogue : nullptr);
  int problems = report_rule_tags(report, plan, check.Catalogue);

  DriverMessages messages(report);
  long heap_before = corva_live_blocks();
  HostRecord record;
  dcs.DCSInitialize();
  dcs.DCSLoad(record.get());
  messages.show();
  for (const ControllerItem& c : plan.controllers) {
    record.add_controller(c.tag.c_str(), c.ds, c.active ? 1 : 0);
  }
  TankModel tank(plan.tank);
  for (const PointItem& p : plan.points) {
    double value = p.source == Signal::Constant ? p.constant : tank.signal(p.source);
    record.add_point(p.tag.c_str(), p.ds, value, p.active ? 1 : 0);
  }

  std::int32_t linked = dcs.DCSConfigure(record.get());
  messages.show();
  if (linked == 0) {
    report.note("the driver refused the link");
    dcs.DCSDestroy(record.get());
    messages.show();
    return kLinkRefused;
  }
  problems += report_bindings(report, plan, record, check);

  // What the emulator received from each process variable, then what each
  // controller read back.
  std::vector<Column> columns = {{"step", false, true}, {"time_s", false, true}};
  for (const PointItem& p : plan.points) columns.push_back({p.name});
  for (const ControllerItem& c : plan.controllers) {
    columns.push_back({c.name, true, false, !c.active});
  }
  report.columns(columns);
  std::optional<Plot> plot;
  if (!options.plot_file.empty()) {
    std::string error;
    plot.emplace(options.plot_file);
    if (!plot->columns(plan.title, columns, error)) {
      std::fprintf(stderr, "dravik-host: %s\n", error.c_str());
      return kBadInput;
    }
  }

  dcs.DCSTimeZero();
  dcs.DCSStart();
  EmulatorLogic emulator(plan);
  emulator.scan(0.0);
  Progress progress(plan.steps);
  // One row's cells, kept from step to step: a step allocates nothing, so a
  // run of any length holds the same memory.
  std::vector<Cell> cells;
  cells.reserve(columns.size());
  for (std::int64_t step = 0; step < plan.steps; ++step) {
    progress.at(step);
    for (std::size_t i = 0; i < plan.points.size(); ++i) {
      const PointItem& p = plan.points[i];
      record.pv(static_cast<int>(i)).Value =
          p.source == Signal::Constant ? p.constant : tank.signal(p.source);
    }
    dcs.DCSSimulate(record.get());
    messages.show();

    cells.clear();
    cells.push_back({static_cast<double>(step)});
    cells.push_back({static_cast<double>(step) * plan.step_seconds});
    for (std::size_t i = 0; i < plan.points.size(); ++i) {
      // What the emulator received, which for a discrete input is truncated.
      const PointItem& p = plan.points[i];
      std::int32_t code = slot_int(record.pv_slot(static_cast<int>(i), SLOT_TYPE));
      int kind = step_kind(false, code);
      double real = 0.0;
      std::int32_t integer = 0;
      bool written = kind != NO_KIND && dravlink_input(static_cast<DravlinkKind>(kind), p.ds,
                                                       p.tag.c_str(), &real, &integer) != 0;
      cells.push_back(
          {written ? std::optional<double>(kind == KIND_AI ? real : integer) : std::nullopt});
    }
    for (std::size_t i = 0; i < plan.controllers.size(); ++i) {
      const DCSCtrl& c = record.ctrl(static_cast<int>(i));
      double out = c.OutValue;
      bool valid = c.OutValid != 0;
      cells.push_back({out, valid});
      if (!valid) continue;
      if (plan.controllers[i].drives == Drives::Valve) tank.set_valve(out);
      if (plan.controllers[i].drives == Drives::Pump) tank.set_pump(out >= 0.5);
    }
    if (step % options.every == 0 || step + 1 == plan.steps) {
      report.row(cells);
      if (plot) plot->row(cells);
    }

    emulator.scan(plan.step_seconds);
    tank.advance(plan.step_seconds);
  }
  dcs.DCSStop();
  dcs.DCSDestroy(record.get());
  messages.show();
  long left = corva_live_blocks() - heap_before;
  if (left != 0) report.note("the driver left " + std::to_string(left) + " heap blocks behind");
  if (plot) {
    std::string error;
    if (!plot->finish(error)) {
      std::fprintf(stderr, "dravik-host: %s\n", error.c_str());
      return kBadInput;
    }
  }
  if (options.strict && problems > 0) {
    report.note("--strict: " + std::to_string(problems) +
                " unbound item(s) or rule tag(s) missing from the catalogue");
    return kWarnings;
  }
  return kRan;
}

// An integer option: "not an integer" for text that is none, the range
// otherwise.
CLI::Validator whole_number(std::int64_t low, std::int64_t high) {
  return CLI::Validator(
      [low, high](std::string& text) -> std::string {
        std::int64_t value = 0;
        const char* end = text.data() + text.size();
        auto [stop, error] = std::from_chars(text.data(), end, value);
        if (text.empty() || stop != end || error == std::errc::invalid_argument) {
          return "'" + text + "' is not an integer";
        }
        if (error != std::errc{} || value < low || value > high) {
          return "'" + text + "' must lie between " + std::to_string(low) + " and " +
                 std::to_string(high);
        }
        return {};
      },
      "INTEGER in [" + std::to_string(low) + ", " + std::to_string(high) + "]");
}

}  // namespace

int main(int argc, char** argv) {
  use_line_feeds(stdout);
  if (argc >= 2 && std::strcmp(argv[1], "check") == 0) return run_check(argc - 1, argv + 1);
  if (argc >= 2 && std::strcmp(argv[1], "diff") == 0) return run_diff(argc - 1, argv + 1);

  CLI::App app{
      "Plays a simulation case through the dravik32 driver against the stand-in "
      "Dravik emulator and shows what crosses the link.\n"
      "`dravik-host check INIT [--json]` checks an initialization string instead; "
      "`dravik-host diff OLD NEW [--case CASE ...] [--json]` compares two."};
  desk_command_line(app);
  std::string case_path;
  std::string init_path;
  std::string driver_path = DriverLibrary::default_path();
  std::int64_t steps = 0;
  RunOptions options;
  bool csv = false;
  bool json = false;
  app.add_option("case", case_path, "the case: items, tank and emulator logic (TOML)")->required();
  app.add_option("--init", init_path,
                 "the stand-in emulator's initialization string (default: the case's "
                 "init_string)");
  app.add_option("--driver", driver_path,
                 "the driver library (default: the one beside this program)")
      ->capture_default_str();
  CLI::Option* steps_option =
      app.add_option("--steps", steps, "steps to run (default: the case's steps)")
          ->check(whole_number(0, INT32_MAX));
  app.add_option("--every", options.every, "print every n-th step (and the last)")
      ->check(whole_number(1, INT32_MAX));
  CLI::Option* csv_flag = app.add_flag("--csv", csv, "print CSV; notes become # comment lines");
  app.add_flag("--json", json, "print one JSON document: bindings with reasons, then the rows")
      ->excludes(csv_flag);
  app.add_flag("--strict", options.strict,
               "exit 4 when an item is unbound or an emulator rule names a tag the catalogue "
               "lacks");
  app.add_option("--plot", options.plot_file,
                 "also draw the printed rows with gnuplot into this file (SVG, or PNG for .png)");
  app.footer(
      "Exit status: 0 ran, 1 bad input or an output not written, 2 the driver refused the link, "
      "3 the driver library could not be loaded, 4 --strict found unbound items or rule tags.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? kRan : kBadInput;
  }

  try {
    Case plan = read_case(case_path);
    if (steps_option->count() != 0) plan.steps = steps;
    std::filesystem::path init_file =
        init_path.empty() ? plan.init_string : std::filesystem::path(init_path);
    std::string init_text = read_text_file(init_file, "the initialization string");
    if (init_text.size() > static_cast<std::size_t>(INT32_MAX)) {
      throw InputError(init_file.string(), 0, "longer than any length the emulator can report");
    }
    dravlink_set_init_string(init_text.data(), static_cast<std::int32_t>(init_text.size()));
    // Every step makes a call per item: the stand-in keeps no log of them.
    dravlink_log_calls(0);
    std::optional<DriverLibrary> driver;
    try {
      driver.emplace(driver_path);
    } catch (const std::runtime_error& error) {
      std::fprintf(stderr, "dravik-host: %s\n", error.what());
      return kNoDriver;
    }
    Report report(stdout, json ? Format::Json : (csv ? Format::Csv : Format::Table));
    int status = play(plan, init_text, driver->entry(), report, options);
    report.finish(status);
    return status;
  } catch (const InputError& error) {
    std::fprintf(stderr, "dravik-host: %s\n", error.what());
    return kBadInput;
  }
}
