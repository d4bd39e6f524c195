// The exported surface in its simplest calls.
#include <cstring>

#include "driver/entry_points.h"
#include "host_record.h"
#include "standin_fixture.h"

namespace {

class EntryPointTest : public StandinTest {};

TEST_F(EntryPointTest, IdleEntryPointsTouchNothingAndCallNothing) {
  HostRecord record;
  record.add_controller("FIC101.OUT", 1);
  std::vector<unsigned char> before(sizeof(DCSData));
  std::memcpy(before.data(), record.get(), before.size());
  DCSInitialize();
  DCSStart();
  DCSStop();
  DCSTimeZero();
  EXPECT_EQ(std::memcmp(before.data(), record.get(), before.size()), 0);
  EXPECT_EQ(corva_allocations(), 0);
  EXPECT_EQ(dravlink_call_count(), 0);
  EXPECT_EQ(user32_message_count(), 0);
}

TEST_F(EntryPointTest, SimulateOnAnEmptyRecordReturnsOneAndCallsNothing) {
  HostRecord record;
  EXPECT_EQ(DCSSimulate(record.get()), 1);
  EXPECT_EQ(dravlink_call_count(), 0);
}

}  // namespace
