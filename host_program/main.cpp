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
#include "check_command.h"
#include "command_line.h"
#include "corva/corva_control.h"
#include "diagnostics/bindings.h"
#include "diff_command.h"
#include "exit_status.h"
#include "explain_command.h"
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

// Reports every item's binding; returns how many items are unbound.
int report_bindings(Report& report, const Case& plan, HostRecord& record,
                    const InitStringCheck& offered) {
  std::vector<ItemFacts> items;
  std::vector<const std::string*> names;
  auto add = [&](bool controller, const std::string& name, const std::string& tag, std::int32_t ds,
                 bool active, const DCSValue* fields) {
    items.push_back({controller, tag, ds, active, slot_int(fields[SLOT_TYPE]),
                     slot_int(fields[SLOT_STRUCT_IDX])});
    names.push_back(&name);
  };
  for (std::size_t i = 0; i < plan.controllers.size(); ++i) {
    const ControllerItem& c = plan.controllers[i];
    add(true, c.name, c.tag, c.ds, c.active, record.ctrl(static_cast<int>(i)).Fields);
  }
  for (std::size_t i = 0; i < plan.points.size(); ++i) {
    const PointItem& p = plan.points[i];
    add(false, p.name, p.tag, p.ds, p.active, record.pv(static_cast<int>(i)).Fields);
  }
  std::vector<BindingDescription> described =
      describe_bindings(offered.catalogue, &offered.check, items);
  int unbound = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ItemFacts& item = items[i];
    BindingDescription& each = described[i];
    unbound += each.table == nullptr;
    report.binding({item.controller, *names[i], item.tag, item.ds, item.active, each.table,
                    item.code, item.index, std::move(each.reason), std::move(each.line),
                    std::move(each.suggestions)});
  }
  return unbound;
}

// The emulator's rules act on its tags; a rule naming a tag the catalogue
// lacks acts on nothing the driver can see. Returns how many such tags.
int report_rule_tags(Report& report, const Case& plan, const TagCatalogue& catalogue) {
  int missing = 0;
  auto check = [&](const char* rule, const char* key, const TagRef& ref) {
    if (find_in_table(catalogue, ref.kind, ref.name.c_str(), ref.ds) >= 0) return;
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

// Before the link: the string as the driver will read it, with what it holds
// for a reader, the catalogue it gives and the emulator's rules checked
// against it. Returns how many rule tags the catalogue lacks.
int report_before_link(Report& report, const Case& plan, const InitStringCheck& offered) {
  report.case_title(plan.title);
  const InitCheck& check = offered.check;
  offered.each_warning([&](const InitWarning& warning) { report.init_warning(check, warning); });
  report.catalogue(catalogue_exists(offered.catalogue) ? &offered.catalogue : nullptr);
  return report_rule_tags(report, plan, offered.catalogue);
}

// The step table's columns: the step and its time, what the emulator
// received from each process variable, then what each controller read back.
std::vector<Column> step_columns(const Case& plan) {
  std::vector<Column> columns = {{"step", false, true}, {"time_s", false, true}};
  for (const PointItem& p : plan.points) columns.push_back({p.name});
  for (const ControllerItem& c : plan.controllers) {
    columns.push_back({c.name, true, false, !c.active});
  }
  return columns;
}

// The case's items in the host's record, linked through the driver, and
// stepped with the tank.
class Run {
 public:
  Run(const Case& plan, const DriverEntryPoints& dcs, Report& report)
      : plan_(plan), dcs_(dcs), report_(report), messages_(report), tank_(plan.tank) {}

  HostRecord& record() { return record_; }

  // DCSInitialize, DCSLoad, the items as the host declares them, then
  // DCSConfigure. False when the driver refused the link; the record is
  // destroyed then.
  bool link() {
    dcs_.DCSInitialize();
    dcs_.DCSLoad(record_.get());
    messages_.show();
    for (const ControllerItem& c : plan_.controllers) {
      record_.add_controller(c.tag.c_str(), c.ds, c.active ? 1 : 0);
    }
    for (const PointItem& p : plan_.points) {
      record_.add_point(p.tag.c_str(), p.ds, sent(p), p.active ? 1 : 0);
    }
    std::int32_t linked = dcs_.DCSConfigure(record_.get());
    messages_.show();
    if (linked != 0) return true;
    report_.note("the driver refused the link");
    dcs_.DCSDestroy(record_.get());
    messages_.show();
    return false;
  }

  // Every step of the case; every n-th row, and the last, is printed.
  void steps(std::int64_t every, std::size_t columns, std::optional<Plot>& plot) {
    dcs_.DCSTimeZero();
    dcs_.DCSStart();
    EmulatorLogic emulator(plan_);
    emulator.scan(0.0);
    Progress progress(plan_.steps);
    // One row's cells, kept from step to step: a step allocates nothing, so a
    // run of any length holds the same memory.
    std::vector<Cell> cells;
    cells.reserve(columns);
    for (std::int64_t step = 0; step < plan_.steps; ++step) {
      progress.at(step);
      for (std::size_t i = 0; i < plan_.points.size(); ++i) {
        record_.pv(static_cast<int>(i)).Value = sent(plan_.points[i]);
      }
      dcs_.DCSSimulate(record_.get());
      messages_.show();
      row(step, cells);
      if (step % every == 0 || step + 1 == plan_.steps) {
        report_.row(cells);
        if (plot) plot->row(cells);
      }
      emulator.scan(plan_.step_seconds);
      tank_.advance(plan_.step_seconds);
    }
  }

  // DCSStop and DCSDestroy.
  void end() {
    dcs_.DCSStop();
    dcs_.DCSDestroy(record_.get());
    messages_.show();
  }

 private:
  // What a process variable sends: its constant, or the tank's signal.
  double sent(const PointItem& p) const {
    return p.source == Signal::Constant ? p.constant : tank_.signal(p.source);
  }

  // What the emulator received from a process variable, which for a discrete
  // input is truncated; nothing when the driver made no call for it.
  Cell received(std::size_t i) {
    const PointItem& p = plan_.points[i];
    std::int32_t code = slot_int(record_.pv_slot(static_cast<int>(i), SLOT_TYPE));
    int kind = step_kind(false, code);
    double real = 0.0;
    std::int32_t integer = 0;
    bool written = kind != NO_KIND && dravlink_input(static_cast<DravlinkKind>(kind), p.ds,
                                                     p.tag.c_str(), &real, &integer) != 0;
    return {written ? std::optional<double>(kind == KIND_AI ? real : integer) : std::nullopt};
  }

  // A step's row: the step, its time, what crossed each way. A controller's
  // good reading drives the valve or the pump for the next step.
  void row(std::int64_t step, std::vector<Cell>& cells) {
    cells.clear();
    cells.push_back({static_cast<double>(step)});
    cells.push_back({static_cast<double>(step) * plan_.step_seconds});
    for (std::size_t i = 0; i < plan_.points.size(); ++i) cells.push_back(received(i));
    for (std::size_t i = 0; i < plan_.controllers.size(); ++i) {
      const DCSCtrl& c = record_.ctrl(static_cast<int>(i));
      double out = c.OutValue;
      bool valid = c.OutValid != 0;
      cells.push_back({out, valid});
      if (!valid) continue;
      if (plan_.controllers[i].drives == Drives::Valve) tank_.set_valve(out);
      if (plan_.controllers[i].drives == Drives::Pump) tank_.set_pump(out >= 0.5);
    }
  }

  const Case& plan_;
  const DriverEntryPoints& dcs_;
  Report& report_;
  DriverMessages messages_;
  HostRecord record_;
  TankModel tank_;
};

int play(const Case& plan, const std::string& init_text, const DriverEntryPoints& dcs,
         Report& report, const RunOptions& options) {
  InitStringCheck offered(init_text);
  int problems = report_before_link(report, plan, offered);
  long heap_before = corva_live_blocks();
  Run run(plan, dcs, report);
  if (!run.link()) return kLinkRefused;
  problems += report_bindings(report, plan, run.record(), offered);

  std::vector<Column> columns = step_columns(plan);
  report.columns(columns);
  std::optional<Plot> plot;
  std::string error;
  if (!options.plot_file.empty()) {
    plot.emplace(options.plot_file);
    if (!plot->columns(plan.title, columns, error)) {
      std::fprintf(stderr, "dravik-host: %s\n", error.c_str());
      return kBadInput;
    }
  }
  run.steps(options.every, columns.size(), plot);
  run.end();
  long left = corva_live_blocks() - heap_before;
  if (left != 0) report.note("the driver left " + std::to_string(left) + " heap blocks behind");
  if (plot && !plot->finish(error)) {
    std::fprintf(stderr, "dravik-host: %s\n", error.c_str());
    return kBadInput;
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
  if (argc >= 2 && std::strcmp(argv[1], "explain") == 0) return run_explain(argc - 1, argv + 1);

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
