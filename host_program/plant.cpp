#include "plant.h"

#include <algorithm>
#include <cmath>

double TankModel::inflow() const { return tank_.pump_running ? tank_.pump_flow_m3s : 0.0; }

double TankModel::outflow() const {
  return tank_.valve_cv * valve_ * std::sqrt(std::max(tank_.level_m, 0.0));
}

double TankModel::signal(Signal which) const {
  switch (which) {
    case Signal::Level:
      return tank_.level_m;
    case Signal::Inflow:
      return inflow();
    case Signal::Outflow:
      return outflow();
    case Signal::Pump:
      return tank_.pump_running ? 1.0 : 0.0;
    case Signal::Constant:
      break;
  }
  return 0.0;
}

void TankModel::set_valve(double opening) { valve_ = std::clamp(opening, 0.0, 1.0); }

void TankModel::advance(double seconds) {
  double change = (inflow() - outflow()) * seconds / tank_.area_m2;
  tank_.level_m = std::max(tank_.level_m + change, 0.0);
}

namespace {

// The last value the driver wrote to an input, or nothing yet.
bool input_real(const TagRef& tag, double& value) {
  std::int32_t ignored = 0;
  return dravlink_input(tag.kind, tag.ds, tag.name.c_str(), &value, &ignored) != 0;
}

bool input_integer(const TagRef& tag, std::int32_t& value) {
  double ignored = 0.0;
  return dravlink_input(tag.kind, tag.ds, tag.name.c_str(), &ignored, &value) != 0;
}

void output(const TagRef& tag, double real, std::int32_t integer) {
  dravlink_set_output(tag.kind, tag.ds, tag.name.c_str(), real, integer, 0, 0);
}

}  // namespace

EmulatorLogic::EmulatorLogic(const Case& plan)
    : plan_(plan),
      integral_(plan.pi_rules.size(), 0.0),
      switched_on_(plan.switch_rules.size(), false) {}

void EmulatorLogic::scan(double seconds) {
  for (std::size_t i = 0; i < plan_.pi_rules.size(); ++i) {
    const PiRule& rule = plan_.pi_rules[i];
    double measured = 0.0;
    double out = rule.bias;
    if (input_real(rule.measurement, measured)) {
      double error = rule.direct ? measured - rule.setpoint : rule.setpoint - measured;
      double unclamped = rule.bias + rule.gain * (error + integral_[i] / rule.reset_seconds);
      out = std::clamp(unclamped, 0.0, 100.0);
      // Integrate only while the output is free to move (no wind-up).
      if (out == unclamped || (unclamped > 100.0) != (error > 0.0)) {
        integral_[i] += error * seconds;
      }
    }
    output(rule.output, out, 0);
  }
  for (std::size_t i = 0; i < plan_.switch_rules.size(); ++i) {
    const SwitchRule& rule = plan_.switch_rules[i];
    double measured = 0.0;
    if (input_real(rule.measurement, measured)) {
      if (measured < rule.on_below) switched_on_[i] = true;
      if (measured > rule.off_above) switched_on_[i] = false;
    }
    output(rule.output, 0.0, switched_on_[i] ? 1 : 0);
  }
  for (const ScaleRule& rule : plan_.scale_rules) {
    double measured = 0.0;
    input_real(rule.input, measured);
    output(rule.output, rule.gain * measured + rule.offset, 0);
  }
  for (const StateRule& rule : plan_.state_rules) {
    std::int32_t on = 0;
    input_integer(rule.input, on);
    output(rule.output, 0.0, on != 0 ? rule.state_on : rule.state_off);
  }
}
