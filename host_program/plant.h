// The two sides of a closed loop: the case's tank, which the host integrates,
// and the logic the stand-in emulator runs behind its tags.
#pragma once

#include <vector>

#include "case_file.h"

class TankModel {
 public:
  explicit TankModel(const Tank& tank) : tank_(tank) {}

  double signal(Signal which) const;
  // Valve opening (0 to 1) and pump command as the controllers last gave them.
  void set_valve(double opening);
  void set_pump(bool run) { tank_.pump_running = run; }
  void advance(double seconds);

 private:
  double inflow() const;
  double outflow() const;

  Tank tank_;
  double valve_ = 0.0;
};

// Reads the inputs the driver wrote to the stand-in emulator and scripts the
// outputs the driver will read on the next step.
class EmulatorLogic {
 public:
  explicit EmulatorLogic(const Case& plan);
  void scan(double seconds);

 private:
  const Case& plan_;
  std::vector<double> integral_;   // one per PI rule
  std::vector<bool> switched_on_;  // one per switch rule
};
