// Base of every test that runs driver code: the stand-ins start clean, and a
// test can ask what crossed to them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/tag_catalogue.h"
#include "host_record.h"

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
  // Fails the test when the fixture's TearDown did not call this one's.
  ~StandinTest() override;

  void SetUp() override;
  // Clears fault injection, so nothing after the test (the next test, or
  // work at exit that allocates through the driver) meets a failing heap.
  // A fixture that overrides it must call it.
  void TearDown() override;

  // Live blocks of the shared heap beyond those live when the test began.
  long driver_blocks() const { return corva_live_blocks() - baseline_blocks_; }

  // Every message box so far; each is also checked for no owner and MB_OK.
  static std::vector<Box> boxes();
  static std::vector<std::string> error_keys();
  static void set_init_string(const std::string& text);

  // Runs work(record) on a fresh host record with its n-th allocation
  // failing (and every later one while `sticky`), then check(record, failed),
  // for n = 1, 2, ... until a run makes fewer than n allocations. Returns how
  // many allocations a whole run makes.
  template <typename Work, typename Check>
  static long sweep_allocation_failures(Work work, Check check, int sticky = 0) {
    for (long n = 1;; ++n) {
      SCOPED_TRACE("failing allocation " + std::to_string(n));
      HostRecord fresh;
      user32_reset();
      long start = corva_allocations();
      corva_fail_allocation(n, sticky);
      work(fresh);
      bool failed = corva_allocations() - start >= n;
      corva_fail_allocation(0, 0);
      check(fresh, failed);
      if (!failed) return n - 1;
    }
  }

 private:
  long baseline_blocks_ = 0;
  bool torn_down_ = false;
};

// A test that fills a tag catalogue of its own: released after the test,
// which must then leave no block of the driver's heap live.
class CatalogueOwnerTest : public StandinTest {
 protected:
  void TearDown() override {
    StandinTest::TearDown();
    release_catalogue(catalogue_);
    EXPECT_EQ(driver_blocks(), 0);
  }
  TagCatalogue catalogue_ = {};
};
