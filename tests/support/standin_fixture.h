// Base of every test that runs driver code: the stand-ins start clean, and a
// test can ask what crossed to them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corva/corva_control.h"
#include "dravlink/dravlink_control.h"
#include "user32/user32_control.h"

struct Box {
  std::string text;
  std::string caption;
  bool operator==(const Box&) const = default;
};
void PrintTo(const Box& box, std::ostream* out);

class StandinTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Live blocks of the shared heap beyond those live when the test began.
  long driver_blocks() const { return corva_live_blocks() - baseline_blocks_; }

  // Every message box so far; each is also checked for no owner and MB_OK.
  static std::vector<Box> boxes();
  static std::vector<std::string> error_keys();
  static void set_init_string(const std::string& text);

 private:
  long baseline_blocks_ = 0;
};
