// dravik-host: plays a simulation case through the dravik32 driver the way
// the host does (the library loaded at run time, the nine entry points in the
// host's order), against the stand-in emulator, and shows what crossed the
// link.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "case_file.h"
#include "catalogue/binding.h"
#include "catalogue/tag_catalogue.h"
#include "corva/corva_control.h"
#include "host_platform.h"
#include "host_record.h"
#include "plant.h"
#include "report.h"

namespace {

enum ExitStatus { kRan = 0, kBadInput = 1, kLinkRefused = 2, kNoDriver = 3 };

// The driver's messages, shown as they arrive.
class DriverMessages {
 public:
  explicit DriverMessages(Report& report) : report_(report) {}
  void show() {
    for (const DriverBox& box : take_driver_boxes()) {
      for (const std::string& line : describe_box(box.caption, box.text)) report_.note(line);
    }
    for (int i = 0; i < corva_error_key_count(); ++i) {
      report_.note(std::string("driver error key: ") + corva_error_key(i));
    }
    corva_reset();
  }

 private:
  Report& report_;
};

// The catalogue as the emulator offers it, read with the driver's own reader.
class OfferedCatalogue {
 public:
  explicit OfferedCatalogue(std::string text) : text_(std::move(text)) {
    if (text_.size() > 33) append_tags(catalogue_, text_.data());
  }
  ~OfferedCatalogue() { release_catalogue(catalogue_); }
  OfferedCatalogue(const OfferedCatalogue&) = delete;
  OfferedCatalogue& operator=(const OfferedCatalogue&) = delete;
  const TagCatalogue& get() const { return catalogue_; }

 private:
  std::string text_;
  TagCatalogue catalogue_{};
};

void report_bindings(Report& report, const Case& plan, HostRecord& record,
                     const TagCatalogue& offered) {
  auto describe = [&](bool controller, const std::string& name, const std::string& tag,
                      std::int32_t ds, bool active, DCSValue* fields) {
    std::int32_t code = slot_int(fields[SLOT_TYPE]);
    std::int32_t index = slot_int(fields[SLOT_STRUCT_IDX]);
    std::string line = std::string(controller ? "controller " : "process variable ") + "'" + name +
                       "' " + tag + " ds " + std::to_string(ds) + (active ? "" : " (inactive)") +
                       ": ";
    if (const char* table = bound_table(controller, code)) {
      line += "code " + std::to_string(code) + ", " + table + "[" + std::to_string(index) + "]";
      if (!controller && (code == BIND_DCD || code == BIND_CALC)) {
        line += ", which process variables do not write";
      }
    } else {
      line += "unbound: " + unbound_reason(offered, controller, tag, ds);
    }
    report.note(line);
  };
  for (std::size_t i = 0; i < plan.controllers.size(); ++i) {
    const ControllerItem& c = plan.controllers[i];
    describe(true, c.name, c.tag, c.ds, c.active, record.ctrl(static_cast<int>(i)).Fields);
  }
  for (std::size_t i = 0; i < plan.points.size(); ++i) {
    const PointItem& p = plan.points[i];
    describe(false, p.name, p.tag, p.ds, p.active, record.pv(static_cast<int>(i)).Fields);
  }
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

int play(const Case& plan, const std::string& init_text, const DriverEntryPoints& dcs,
         Report& report, std::int64_t every) {
  if (!plan.title.empty()) report.note("case: " + plan.title);
  OfferedCatalogue offered(init_text);
  report.note(catalogue_exists(offered.get())
                  ? "catalogue: " + catalogue_summary(offered.get())
                  : std::string("catalogue: the emulator offers no tags"));

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
  report_bindings(report, plan, record, offered.get());

  // What the emulator received from each process variable, then what each
  // controller read back.
  std::vector<Column> columns = {{"step"}, {"time_s"}};
  for (const PointItem& p : plan.points) columns.push_back({p.name});
  for (const ControllerItem& c : plan.controllers) columns.push_back({c.name, true});
  report.columns(columns);

  dcs.DCSTimeZero();
  dcs.DCSStart();
  EmulatorLogic emulator(plan);
  emulator.scan(0.0);
  Progress progress(plan.steps);
  for (std::int64_t step = 0; step < plan.steps; ++step) {
    progress.at(step);
    for (std::size_t i = 0; i < plan.points.size(); ++i) {
      const PointItem& p = plan.points[i];
      record.pv(static_cast<int>(i)).Value =
          p.source == Signal::Constant ? p.constant : tank.signal(p.source);
    }
    dcs.DCSSimulate(record.get());
    messages.show();

    std::vector<Cell> cells = {{static_cast<double>(step)},
                               {static_cast<double>(step) * plan.step_seconds}};
    for (std::size_t i = 0; i < plan.points.size(); ++i) {
      // What the emulator received, which for a discrete input is truncated.
      const PointItem& p = plan.points[i];
      std::int32_t code = slot_int(record.pv_slot(static_cast<int>(i), SLOT_TYPE));
      DravlinkKind kind = code == BIND_DISCRETE ? DRAVLINK_DI : DRAVLINK_AI;
      double real = 0.0;
      std::int32_t integer = 0;
      bool written = (code == BIND_ANALOG || code == BIND_DISCRETE) &&
                     dravlink_input(kind, p.ds, p.tag.c_str(), &real, &integer) != 0;
      cells.push_back(
          {written ? std::optional<double>(kind == DRAVLINK_AI ? real : integer) : std::nullopt});
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
    if (step % every == 0 || step + 1 == plan.steps) report.row(cells);

    emulator.scan(plan.step_seconds);
    tank.advance(plan.step_seconds);
  }
  dcs.DCSStop();
  dcs.DCSDestroy(record.get());
  messages.show();
  long left = corva_live_blocks() - heap_before;
  if (left != 0) report.note("the driver left " + std::to_string(left) + " heap blocks behind");
  return kRan;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Plays a simulation case through the dravik32 driver against the stand-in "
      "Dravik emulator and shows what crosses the link."};
  std::string case_path;
  std::string init_path;
  std::string driver_path = DriverLibrary::default_path(argv[0]);
  std::int64_t steps = 0;
  std::int64_t every = 1;
  bool csv = false;
  app.add_option("case", case_path, "the case: items, tank and emulator logic (TOML)")->required();
  app.add_option("--init", init_path,
                 "the stand-in emulator's initialization string (default: the case's "
                 "init_string)");
  app.add_option("--driver", driver_path, "the driver library")->capture_default_str();
  CLI::Option* steps_option =
      app.add_option("--steps", steps, "steps to run (default: the case's steps)")
          ->check(CLI::Range(std::int64_t{0}, std::int64_t{INT32_MAX}));
  app.add_option("--every", every, "print every n-th step (and the last)")
      ->check(CLI::PositiveNumber);
  app.add_flag("--csv", csv, "print CSV for plotting; notes become # comment lines");
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
    dravlink_set_init_string(init_text.data(), static_cast<std::int32_t>(init_text.size()));
    std::optional<DriverLibrary> driver;
    try {
      driver.emplace(driver_path);
    } catch (const std::runtime_error& error) {
      std::fprintf(stderr, "dravik-host: %s\n", error.what());
      return kNoDriver;
    }
    Report report(stdout, csv);
    return play(plan, init_text, driver->entry(), report, every);
  } catch (const InputError& error) {
    std::fprintf(stderr, "dravik-host: %s\n", error.what());
    return kBadInput;
  }
}
