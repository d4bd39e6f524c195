// A case for the stand-in host: the items the host would hold (controllers
// and process variables with their driver fields), a small tank plant, and
// the logic the stand-in emulator runs behind its tags.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "dravlink/dravlink_control.h"

// A problem with an input file; `line` is 0 when there is none to name.
class InputError : public std::runtime_error {
 public:
  InputError(const std::string& file, int line, const std::string& what);
};

// A tag of the stand-in emulator, written "AI:1:LT101.PV" in the case.
struct TagRef {
  DravlinkKind kind;
  std::int32_t ds;
  std::string name;
  int line = 0;  // where the case names it
};

// What a controller's output drives in the plant.
enum class Drives { Nothing, Valve, Pump };

struct ControllerItem {
  std::string name;
  std::string tag;
  std::int32_t ds;
  bool active;
  Drives drives;
};

// Where a process variable's value comes from: a plant signal or a constant.
enum class Signal { Constant, Level, Inflow, Outflow, Pump };

struct PointItem {
  std::string name;
  std::string tag;
  std::int32_t ds;
  bool active;
  Signal source;
  double constant;
};

struct Tank {
  double area_m2 = 2.0;
  double level_m = 1.0;
  double pump_flow_m3s = 0.02;
  double valve_cv = 0.04;  // outflow = cv * opening * sqrt(level)
  bool pump_running = false;
};

// Emulator logic, run once per step after the exchange.
struct PiRule {  // a PI controller: AI measurement to AO output, in percent
  TagRef measurement;
  TagRef output;
  double setpoint;
  double gain;  // percent per unit of error
  double reset_seconds;
  bool direct;  // direct acting: the output rises as the measurement rises
  double bias;
};

struct SwitchRule {  // an on/off command with hysteresis: AI to DO
  TagRef measurement;
  TagRef output;
  double on_below;
  double off_above;
};

struct ScaleRule {  // output = gain * input + offset: AI to CALC or AO
  TagRef input;
  TagRef output;
  double gain;
  double offset;
};

struct StateRule {  // a device state from a discrete input: DI to DCD
  TagRef input;
  TagRef output;
  std::int32_t state_off;
  std::int32_t state_on;
};

struct Case {
  std::filesystem::path file;
  std::string title;
  std::filesystem::path init_string;
  std::int64_t steps = 0;
  double step_seconds = 1.0;
  Tank tank;
  std::vector<ControllerItem> controllers;
  std::vector<PointItem> points;
  std::vector<PiRule> pi_rules;
  std::vector<SwitchRule> switch_rules;
  std::vector<ScaleRule> scale_rules;
  std::vector<StateRule> state_rules;
};

// Reads and checks a case file; throws InputError naming the file and line.
Case read_case(const std::filesystem::path& file);

// Reads a whole file; throws InputError when it cannot, or when it is a
// directory.
std::string read_text_file(const std::filesystem::path& file, const char* what);

const char* kind_name(DravlinkKind kind);
