// The driver's heap is the host's: its allocation forwards reach the host
// library, and nothing else in the process does.
#include <cstdlib>
#include <memory>
#include <string>

#include "driver_probe.h"
#include "host/host_library.h"
#include "standin_fixture.h"

extern "C" int _matherr(struct _exception* error);

namespace {

class BridgeTest : public StandinTest {};

TEST_F(BridgeTest, DriverMallocBlockIsReleasedByTheHost) {
  void* block = probe_driver_malloc(24);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(corva_calls(CORVA_MALLOC), 1);
  EXPECT_EQ(driver_blocks(), 1);
  EXPECT_EQ(Corva__msize(block), 24u);
  Corva_free(block);
  EXPECT_EQ(driver_blocks(), 0);
}

TEST_F(BridgeTest, HostMallocBlockIsReleasedByTheDriver) {
  void* block = Corva_malloc(8);
  ASSERT_NE(block, nullptr);
  probe_driver_free(block);
  EXPECT_EQ(corva_calls(CORVA_FREE), 1);
  EXPECT_EQ(driver_blocks(), 0);
}

TEST_F(BridgeTest, DriverStrdupBlockIsMeasuredAndReleasedByTheHost) {
  char* copy = probe_driver_strdup("LT101.PV");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "LT101.PV");
  EXPECT_EQ(corva_calls(CORVA_STRDUP), 1);
  EXPECT_EQ(probe_driver_msize(copy), 9u);
  EXPECT_EQ(corva_calls(CORVA_MSIZE), 1);
  Corva_free(copy);
  EXPECT_EQ(driver_blocks(), 0);
}

// The host's heap stops the process when a block is released by the other
// family, so each form must reach the host's new or delete.
TEST_F(BridgeTest, EveryFormOfNewAndDeleteReachesTheHost) {
  const ProbeNew news[] = {PROBE_NEW, PROBE_NEW_ARRAY, PROBE_NEW_NOTHROW, PROBE_NEW_ARRAY_NOTHROW};
  const ProbeDelete deletes[] = {PROBE_DELETE,         PROBE_DELETE_ARRAY,
                                 PROBE_DELETE_SIZED,   PROBE_DELETE_ARRAY_SIZED,
                                 PROBE_DELETE_NOTHROW, PROBE_DELETE_ARRAY_NOTHROW};
  for (ProbeNew form : news) {
    for (ProbeDelete release : deletes) {
      SCOPED_TRACE(std::to_string(form) + "/" + std::to_string(release));
      corva_reset();
      void* block = probe_driver_new(form, 40);
      ASSERT_NE(block, nullptr);
      EXPECT_EQ(corva_calls(CORVA_NEW), 1);
      EXPECT_EQ(driver_blocks(), 1);
      probe_driver_delete(release, block, 40);
      EXPECT_EQ(corva_calls(CORVA_DELETE), 1);
      EXPECT_EQ(driver_blocks(), 0);
    }
  }
}

TEST_F(BridgeTest, NullFromTheHostReachesTheDriverUnchanged) {
  corva_fail_allocation(1, 1);
  EXPECT_EQ(probe_driver_malloc(16), nullptr);
  EXPECT_EQ(probe_driver_strdup("x"), nullptr);
  for (ProbeNew form : {PROBE_NEW, PROBE_NEW_ARRAY, PROBE_NEW_NOTHROW, PROBE_NEW_ARRAY_NOTHROW}) {
    EXPECT_EQ(probe_driver_new(form, 16), nullptr) << form;
  }
  EXPECT_EQ(driver_blocks(), 0);
}

TEST_F(BridgeTest, ProgramAllocationsBypassTheHostLibrary) {
  void* block = std::malloc(32);
  block = std::realloc(block, 64);
  std::free(block);
  auto owned = std::make_unique<int[]>(100);
  std::string text(200, 'x');
  for (int function = 0; function < CORVA_FUNCTION_COUNT; ++function) {
    EXPECT_EQ(corva_calls(static_cast<CorvaFunction>(function)), 0) << "function " << function;
  }
}

TEST_F(BridgeTest, MathErrorsAreHandedToTheHost) {
  corva_set_module_name("ORVENT-TEST");
  corva_set_matherr_result(7);
  unsigned char record[32] = {};
  auto* error = reinterpret_cast<struct _exception*>(record);
  EXPECT_EQ(_matherr(error), 7);
  EXPECT_STREQ(corva_last_matherr_module(), "ORVENT-TEST");
  EXPECT_EQ(corva_last_matherr_record(), error);
}

}  // namespace
