// DCSSimulate and DCSReset: what each bound item passes to the emulator's
// library and what comes back into the record.
#include <cmath>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <limits>
#include <vector>

#include "driver_catalogue.h"
#include "emulator/dravlink.h"
#include "emulator/exchange.h"
#include "link_fixture.h"
#include "record/fields.h"

namespace {

const std::string kTags =
    "*AI*\nLEVEL,x,1,0,100\n*AO*\nVALVE,x,1,0,100\nVALVE2,x,1,0,100\n*DI*\nRUN,x,1\n"
    "*DO*\nCMD,x,1\n*DCD*\nSTATE,x,1,100,101,102,103,104,105,106,107,108,109,110,111,112,113,"
    "114,115,116\n*CALC*\nERR,x,1\n";

class ExchangeTest : public LinkTest {
 protected:
  void SetUp() override {
    LinkTest::SetUp();
    load(kTags);
  }

  // Binds every item added so far and forgets what that cost.
  void bind() {
    ASSERT_EQ(DCSConfigure(record.get()), 1);
    dravlink_clear_calls();
    corva_reset();
    user32_reset();
  }

  void step() { ASSERT_EQ(DCSSimulate(record.get()), 1); }

  // Where the member lies in the host's record.
  const void* out_value_address(int i) {
    return reinterpret_cast<const unsigned char*>(&record.ctrl(i)) + offsetof(DCSCtrl, OutValue);
  }
  const void* value_address(int i) {
    return reinterpret_cast<const unsigned char*>(&record.pv(i)) + offsetof(DCSPoint, Value);
  }
  void set_output(int i, double value, std::int8_t valid) {
    record.ctrl(i).OutValue = value;
    record.ctrl(i).OutValid = valid;
  }
};

TEST_F(ExchangeTest, AnalogAndCalcReadsArriveScaledByOneHundredth) {
  struct Case {
    const char* tag;  // as the host holds it: its case may differ from the catalogue's
    DravlinkKind kind;
    int ordinal;
    Table table;
    int index;
  };
  const Case cases[] = {{"valve2", DRAVLINK_AO, ORDINAL_READ_ANALOG_OUT, Table::AO, 1},
                        {"err", DRAVLINK_CALC, ORDINAL_READ_CALC, Table::CALC, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    int i = record.add_controller(c.tag, 1);
    bind();
    dravlink_set_output(c.kind, 1, c.tag, 55.0, 0, 0, 0);
    step();
    EXPECT_EQ(out_value(i), 55.0 * 0.01);
    EXPECT_EQ(out_valid(i), 1);
    ASSERT_EQ(dravlink_call_count(), 1);
    const DravlinkCall& call = *dravlink_call(0);
    EXPECT_EQ(call.ordinal, c.ordinal);
    EXPECT_EQ(call.ds, 1);
    EXPECT_EQ(call.tag, slot_text(record.ctrl_slot(i, SLOT_TAG)));
    EXPECT_STREQ(call.tag_text, c.tag);
    EXPECT_TRUE(is_entry_handle(call.handle, c.table, c.index));
    EXPECT_EQ(call.value, out_value_address(i));

    dravlink_set_output(c.kind, 1, c.tag, 55.0, 0, 2, 0);
    step();
    EXPECT_EQ(out_value(i), 55.0);  // as the failed call left it
    EXPECT_EQ(out_valid(i), 0);
    record.ctrl(i).Active = 0;
  }
}

TEST_F(ExchangeTest, DiscreteReadGivesTheIntegerOrKeepsTheOldValue) {
  record.add_controller("CMD", 1);
  bind();
  dravlink_set_output(DRAVLINK_DO, 1, "CMD", 0.0, -3, 0, 0);
  step();
  EXPECT_EQ(out_value(0), -3.0);
  EXPECT_EQ(out_valid(0), 1);
  const DravlinkCall& call = *dravlink_call(0);
  EXPECT_EQ(call.ordinal, ORDINAL_READ_DISCRETE_OUT);
  EXPECT_TRUE(is_entry_handle(call.handle, Table::DO, 0));
  EXPECT_NE(call.value, out_value_address(0));

  dravlink_set_output(DRAVLINK_DO, 1, "CMD", 0.0, 9, 4, 0);
  step();
  EXPECT_EQ(out_value(0), -3.0);
  EXPECT_EQ(out_valid(0), 0);
}

TEST_F(ExchangeTest, DcdStatesMapToOffOnAndTheEntrysStateValues) {
  record.add_controller("STATE", 1);
  bind();
  struct Case {
    std::int32_t state;
    std::int32_t status;
    bool changes;
    double value;
    std::int8_t valid;
  };
  const Case cases[] = {{0, 0, false, 0, 0},  {1, 0, true, 0.0, 1},  {2, 0, true, 1.0, 1},
                        {5, 0, true, 104, 1}, {16, 0, true, 115, 1}, {17, 0, false, 0, 0},
                        {0, 3, false, 0, 0},  {1, 3, true, 0.0, 0},  {5, 3, true, 104, 0},
                        {17, 3, false, 0, 0}, {-1, 0, false, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "state " << c.state << " status " << c.status);
    set_output(0, -7.5, 1);
    dravlink_set_output(DRAVLINK_DCD, 1, "STATE", 0.0, c.state, c.status, 0);
    step();
    EXPECT_EQ(out_value(0), c.changes ? c.value : -7.5);
    EXPECT_EQ(out_valid(0), c.changes ? c.valid : 1);
  }
  EXPECT_EQ(dravlink_call(0)->ordinal, ORDINAL_READ_DCD_STATE);
  EXPECT_TRUE(is_entry_handle(dravlink_call(0)->handle, Table::DCD, 0));
}

// A controller whose CtrlType binds it to nothing is left as it is.
TEST_F(ExchangeTest, InactiveAndUnboundControllersMakeNoCall) {
  record.add_controller("VALVE", 1, /*active=*/0);
  record.add_controller("NOWHERE", 1);
  const std::int32_t unbound_codes[] = {5, 6, 7, 8, -1, INT32_MAX};
  for (std::size_t c = 0; c < std::size(unbound_codes); ++c) record.add_controller("VALVE", 1);
  bind();
  for (std::size_t c = 0; c < std::size(unbound_codes); ++c) {
    set_slot_int(record.ctrl_slot(2 + static_cast<int>(c), SLOT_TYPE), unbound_codes[c]);
  }
  const int controllers = record.data().CtrlCnt;
  for (int i = 0; i < controllers; ++i) set_output(i, 3.25, 1);
  step();
  EXPECT_EQ(dravlink_call_count(), 0);
  EXPECT_EQ(out_valid(0), 0);  // inactive: no good reading
  for (int i = 0; i < controllers; ++i) EXPECT_EQ(out_value(i), 3.25) << i;
  for (int i = 1; i < controllers; ++i) EXPECT_EQ(out_valid(i), 1) << i;
}

TEST_F(ExchangeTest, IndexesOutsideTheirTableMakeNoCall) {
  record.add_controller("VALVE", 1);
  record.add_controller("VALVE", 1);
  record.add_controller("ERR", 1);
  record.add_controller("STATE", 1);
  record.add_controller("CMD", 1);
  record.add_controller("VALVE", 1);
  record.add_point("LEVEL", 1);
  record.add_point("RUN", 1);
  record.add_point("LEVEL", 1);
  bind();
  set_slot_int(record.ctrl_slot(0, SLOT_STRUCT_IDX), 2);  // AO holds two entries
  set_slot_int(record.ctrl_slot(1, SLOT_STRUCT_IDX), -1);
  set_slot_int(record.ctrl_slot(2, SLOT_STRUCT_IDX), 1);  // CALC holds one
  set_slot_int(record.ctrl_slot(3, SLOT_STRUCT_IDX), -5);
  set_slot_int(record.ctrl_slot(4, SLOT_STRUCT_IDX), 1);  // DO holds one
  set_slot_int(record.pv_slot(0, SLOT_STRUCT_IDX), 1);
  set_slot_int(record.pv_slot(1, SLOT_STRUCT_IDX), -1);
  // Bound, but without the tag's text: nothing to name in a call.
  record.set_ctrl_tag(5, nullptr);
  record.set_pv_tag(2, nullptr);
  for (int i = 0; i < 6; ++i) set_output(i, 3.25, 1);
  step();
  EXPECT_EQ(dravlink_call_count(), 0);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(out_value(i), 3.25) << i;
    EXPECT_EQ(out_valid(i), 0) << i;
  }
}

TEST_F(ExchangeTest, BindingsOutliveTheCatalogueWithoutReachingIt) {
  record.add_controller("VALVE", 1);
  record.add_point("LEVEL", 1);
  bind();
  DCSDestroy(record.get());
  load("");  // no tags offered now: no catalogue
  set_output(0, 3.25, 1);
  dravlink_clear_calls();
  step();
  EXPECT_EQ(dravlink_call_count(), 0);
  EXPECT_EQ(out_valid(0), 0);
}

TEST_F(ExchangeTest, UnwrittenStatusOrStateNeverCountsAsAGoodReading) {
  record.add_controller("VALVE", 1);
  record.add_controller("CMD", 1);
  record.add_controller("STATE", 1);
  bind();
  dravlink_set_output(DRAVLINK_AO, 1, "VALVE", 40.0, 0, 0, DRAVLINK_LEAVE_STATUS);
  dravlink_set_output(DRAVLINK_DO, 1, "CMD", 0.0, 1, 0, DRAVLINK_LEAVE_STATUS);
  dravlink_set_output(DRAVLINK_DCD, 1, "STATE", 0.0, 2, 0, DRAVLINK_LEAVE_VALUE);
  for (int i = 0; i < 3; ++i) set_output(i, 3.25, 1);
  step();
  EXPECT_EQ(out_valid(0), 0);
  EXPECT_EQ(out_valid(1), 0);
  EXPECT_EQ(out_value(1), 3.25);
  EXPECT_EQ(out_value(2), 3.25);  // no state: nothing changes
  EXPECT_EQ(out_valid(2), 1);
}

TEST_F(ExchangeTest, AnalogProcessVariableSendsItsOwnValueUnscaled) {
  record.add_point("level", 1, 12.345);
  bind();
  step();
  ASSERT_EQ(dravlink_call_count(), 1);
  const DravlinkCall& call = *dravlink_call(0);
  EXPECT_EQ(call.ordinal, ORDINAL_WRITE_ANALOG_IN);
  EXPECT_EQ(call.tag, slot_text(record.pv_slot(0, SLOT_TAG)));
  EXPECT_TRUE(is_entry_handle(call.handle, Table::AI, 0));
  EXPECT_EQ(call.value, value_address(0));
  EXPECT_EQ(call.real, 12.345);
  EXPECT_EQ(pv_value(0), 12.345);
}

TEST_F(ExchangeTest, DiscreteProcessVariableSendsItsValueTruncatedAndSaturated) {
  record.add_point("RUN", 1);
  bind();
  const double max = std::numeric_limits<std::int32_t>::max();
  const double min = std::numeric_limits<std::int32_t>::min();
  const struct {
    double value;
    std::int32_t sent;
  } cases[] = {{0.99, 0},
               {-0.5, 0},
               {-1.5, -1},
               {2.9, 2},
               {max + 0.9, INT32_MAX},
               {min - 0.9, INT32_MIN},
               {2147483648.0, INT32_MAX},  // 2^31: the first value past the limit
               {2147483646.5, 2147483646},
               {-2147483647.5, -2147483647},
               {-2147483649.0, INT32_MIN},
               {1e20, INT32_MAX},
               {-1e20, INT32_MIN},
               {INFINITY, INT32_MAX},
               {-INFINITY, INT32_MIN}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    dravlink_clear_calls();
    record.pv(0).Value = c.value;
    step();
    ASSERT_EQ(dravlink_call_count(), 1);
    EXPECT_EQ(dravlink_call(0)->ordinal, ORDINAL_WRITE_DISCRETE_IN);
    EXPECT_EQ(dravlink_call(0)->integer, c.sent);
    EXPECT_TRUE(is_entry_handle(dravlink_call(0)->handle, Table::DI, 0));
  }
  dravlink_clear_calls();
  record.pv(0).Value = std::nan("");
  step();
  EXPECT_EQ(dravlink_call_count(), 0);
}

TEST_F(ExchangeTest, ProcessVariablesOnDcdOrCalcTagsOrInactiveSendNothing) {
  record.add_point("STATE", 1, 2.0);
  record.add_point("ERR", 1, 2.0);
  record.add_point("LEVEL", 1, 2.0, /*active=*/0);
  bind();
  ASSERT_EQ(slot_int(record.pv_slot(0, SLOT_TYPE)), 3);
  ASSERT_EQ(slot_int(record.pv_slot(1, SLOT_TYPE)), 4);
  step();
  EXPECT_EQ(dravlink_call_count(), 0);
}

TEST_F(ExchangeTest, ControllersGoFirstThenProcessVariablesEachInIndexOrder) {
  record.add_point("RUN", 1, 1.0);
  record.add_controller("CMD", 1);
  record.add_point("LEVEL", 1, 1.0);
  record.add_controller("VALVE", 1);
  record.add_controller("VALVE", 1);
  bind();
  step();
  ASSERT_EQ(dravlink_call_count(), 5);
  const int expected[] = {ORDINAL_READ_DISCRETE_OUT, ORDINAL_READ_ANALOG_OUT,
                          ORDINAL_READ_ANALOG_OUT, ORDINAL_WRITE_DISCRETE_IN,
                          ORDINAL_WRITE_ANALOG_IN};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(dravlink_call(i)->ordinal, expected[i]) << i;
  // Items bound to one tag share its handle word, which the library set on
  // the first call.
  EXPECT_EQ(dravlink_call(1)->handle, dravlink_call(2)->handle);
  EXPECT_EQ(dravlink_call(1)->handle_word, 0);
  EXPECT_NE(dravlink_call(2)->handle_word, 0);
}

// Failed reads as the plant report counts them, per controller: a call that
// gave a nonzero status counts, a controller that makes no call counts
// nothing, and a count at its limit stays there.
TEST_F(ExchangeTest, FailedReadsCountOnlyCallsThatFailed) {
  enum Setup { AS_BOUND, NO_FIELDS, NO_ENTRY, NO_TAG, INACTIVE };
  struct Case {
    const char* what;
    const char* tag;
    Setup setup;
    std::int32_t count_before;
    std::int32_t count;
    std::int32_t last_status;
  };
  const Case cases[] = {
      {"a good read", "VALVE", AS_BOUND, 0, 0, 0},
      {"a failed read", "CMD", AS_BOUND, 0, 1, 4},
      {"a failed read one below the limit", "CMD", AS_BOUND, INT32_MAX - 1, INT32_MAX, 4},
      {"a failed read at the limit", "CMD", AS_BOUND, INT32_MAX, INT32_MAX, 4},
      {"no fields", "CMD", NO_FIELDS, 0, 0, 0},
      {"an index that reaches no entry", "CMD", NO_ENTRY, 0, 0, 0},
      {"no tag", "CMD", NO_TAG, 0, 0, 0},
      {"inactive", "CMD", INACTIVE, 0, 0, 0},
  };
  const int counted = static_cast<int>(std::size(cases));
  for (const Case& c : cases) record.add_controller(c.tag, 1, c.setup == INACTIVE ? 0 : 1);
  record.add_controller("CMD", 1);  // fails, but lies beyond the counted controllers
  bind();
  std::vector<DCSValue*> fields;
  for (int i = 0; i < counted; ++i) {
    DCSValue* slots = record.ctrl(i).Fields;  // a packed member: copied, not bound
    fields.push_back(slots);
    if (cases[i].setup == NO_FIELDS) record.ctrl(i).Fields = nullptr;
    if (cases[i].setup == NO_ENTRY) set_slot_int(record.ctrl_slot(i, SLOT_STRUCT_IDX), 1);
    if (cases[i].setup == NO_TAG) record.set_ctrl_tag(i, nullptr);
  }
  dravlink_set_output(DRAVLINK_AO, 1, "VALVE", 40.0, 0, 0, 0);
  dravlink_set_output(DRAVLINK_DO, 1, "CMD", 0.0, 1, 4, 0);
  std::vector<FailedReads> reads;
  for (const Case& c : cases) reads.push_back({c.count_before, 0});
  reads.push_back({0, 0});
  bool stepped = step_counting_failed_reads(record.get(), reads.data(), counted);
  for (int i = 0; i < counted; ++i) record.ctrl(i).Fields = fields[i];  // the record's own again
  if (!stepped) GTEST_SKIP() << "the failed-read counts are the module's own";
  for (int i = 0; i < counted; ++i) {
    SCOPED_TRACE(cases[i].what);
    EXPECT_EQ(reads[i].Count, cases[i].count);
    EXPECT_EQ(reads[i].LastStatus, cases[i].last_status);
  }
  EXPECT_EQ(reads[counted].Count, 0);
  EXPECT_EQ(dravlink_call_count(), 5);  // every bound and active controller read
}

// A controller whose list lacks the driver's fields, as after DCSDestroy, or
// that has no fields at all, makes no call and reads as failed, whatever an
// earlier step left in it.
TEST_F(ExchangeTest, ControllersWithoutTheDriversFieldsReadAsFailed) {
  record.add_controller("VALVE", 1);
  record.add_controller("VALVE", 1, /*active=*/0);
  record.add_controller("VALVE", 1);
  record.add_point("LEVEL", 1);
  bind();
  dravlink_set_output(DRAVLINK_AO, 1, "VALVE", 40.0, 0, 0, 0);
  step();
  ASSERT_EQ(out_valid(0), 1);
  DCSValue* fields = record.ctrl(2).Fields;
  record.ctrl(2).Fields = nullptr;
  set_output(1, 3.25, 1);
  set_output(2, 3.25, 1);
  dravlink_clear_calls();
  step();
  EXPECT_EQ(dravlink_call_count(), 2);  // controller 0's and the process variable's
  EXPECT_EQ(out_valid(2), 0);
  EXPECT_EQ(out_value(2), 3.25);
  record.ctrl(2).Fields = fields;

  // A process variable list without the driver's fields sends nothing,
  // whatever its slots hold.
  std::int32_t point_definitions = record.data().PVDefCnt;
  record.data().PVDefCnt = DRIVER_FIELDS - 1;
  dravlink_clear_calls();
  step();
  record.data().PVDefCnt = point_definitions;
  EXPECT_EQ(dravlink_call_count(), 2);  // the controllers' reads

  DCSDestroy(record.get());
  std::int32_t definitions = record.data().CtrlDefCnt;
  ASSERT_EQ(definitions, 0);
  set_output(1, 3.25, 1);
  dravlink_clear_calls();
  step();
  EXPECT_EQ(dravlink_call_count(), 0);
  EXPECT_EQ(out_valid(0), 0);
  EXPECT_EQ(out_value(0), 40.0 * 0.01);
  EXPECT_EQ(out_valid(1), 0);  // inactive: failed as ever
}

TEST_F(ExchangeTest, ResetClearsEveryHandleAndNothingElse) {
  record.add_controller("VALVE", 1);
  record.add_controller("CMD", 1);
  record.add_controller("STATE", 1);
  record.add_controller("ERR", 1);
  record.add_point("LEVEL", 1);
  record.add_point("RUN", 1);
  bind();
  dravlink_set_output(DRAVLINK_AO, 1, "VALVE", 10.0, 0, 0, 0);
  step();
  dravlink_clear_calls();
  step();  // the first step had the library set every handle word
  ASSERT_EQ(dravlink_call_count(), 6);
  for (int i = 0; i < 6; ++i) ASSERT_NE(dravlink_call(i)->handle_word, 0) << i;
  DCSValue bindings[2] = {record.ctrl_slot(0, SLOT_TYPE), record.ctrl_slot(0, SLOT_STRUCT_IDX)};
  double out = out_value(0);
  dravlink_clear_calls();
  EXPECT_EQ(DCSReset(), 0);
  ASSERT_EQ(dravlink_call_count(), 1);
  EXPECT_EQ(dravlink_call(0)->ordinal, ORDINAL_RESET);
  EXPECT_TRUE(all_handles_clear());
  EXPECT_EQ(std::memcmp(&bindings[0], &record.ctrl_slot(0, SLOT_TYPE), sizeof(DCSValue)), 0);
  EXPECT_EQ(std::memcmp(&bindings[1], &record.ctrl_slot(0, SLOT_STRUCT_IDX), sizeof(DCSValue)), 0);
  EXPECT_EQ(out_value(0), out);
  EXPECT_EQ(out_valid(0), 1);
  dravlink_clear_calls();
  step();  // every item finds its handle word cleared
  ASSERT_EQ(dravlink_call_count(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(dravlink_call(i)->handle_word, 0) << i;

  DCSDestroy(record.get());
  dravlink_clear_calls();
  EXPECT_EQ(DCSReset(), 0);  // no catalogue: only the library is reset
  EXPECT_EQ(dravlink_call_count(), 1);
}

TEST_F(ExchangeTest, StepsAllocateNothingAndShowNothing) {
  record.add_controller("VALVE", 1);
  record.add_controller("NOWHERE", 1);
  record.add_point("LEVEL", 1);
  bind();
  for (int i = 0; i < 100; ++i) step();
  EXPECT_EQ(corva_allocations(), 0);
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(error_keys().empty());
}

// Long lists are read ahead of the item being exchanged; items that cannot
// be reached there (no slots, an index outside the table, an unknown code)
// are passed over the same way as by the exchange itself.
TEST_F(ExchangeTest, LongListsWithUnreachableItemsExchangeOnlyTheReachable) {
  constexpr int kItems = 3000;  // longer than a list the cache keeps
  for (int i = 0; i < kItems; ++i) {
    record.add_controller("VALVE", 1, /*active=*/i % 5 == 1 ? 0 : 1);
    record.add_point("RUN", 1, 2.0, /*active=*/i % 5 == 1 ? 0 : 1);
  }
  bind();
  for (int i = 0; i < kItems; ++i) {
    DCSCtrl& ctrl = record.ctrl(i);
    DCSPoint& point = record.pv(i);
    if (i % 5 == 2) {
      set_slot_int(ctrl.Fields[SLOT_TYPE], 99);
      set_slot_int(point.Fields[SLOT_TYPE], 99);
    } else if (i % 5 == 3) {
      set_slot_int(ctrl.Fields[SLOT_STRUCT_IDX], i % 2 == 0 ? 1000000 : -3);
      set_slot_int(point.Fields[SLOT_STRUCT_IDX], i % 2 == 0 ? 1000000 : -3);
    } else if (i % 5 == 4) {
      ctrl.Fields = nullptr;
      point.Fields = nullptr;
    }
  }
  dravlink_set_output(DRAVLINK_AO, 1, "VALVE", 20.0, 0, 0, 0);
  step();
  // One call for each reachable item, with the handle of its one entry.
  ASSERT_EQ(dravlink_call_count(), 2 * kItems / 5);
  const DravlinkCall& first_read = *dravlink_call(0);
  const DravlinkCall& first_write = *dravlink_call(kItems / 5);
  EXPECT_NE(first_read.handle, first_write.handle);
  for (int c = 0; c < dravlink_call_count(); ++c) {
    bool read = c < kItems / 5;
    EXPECT_EQ(dravlink_call(c)->ordinal,
              read ? ORDINAL_READ_ANALOG_OUT : ORDINAL_WRITE_DISCRETE_IN);
    EXPECT_EQ(dravlink_call(c)->handle, read ? first_read.handle : first_write.handle);
  }
  for (int i = 0; i < kItems; ++i) {
    EXPECT_EQ(out_valid(i), i % 5 == 0 ? 1 : 0) << i;
  }
}

// The host's whole order against an emulator whose controller answers the
// level it receives with a valve position.
TEST_F(LinkTest, EntryPointsInTheHostsOrderMoveValuesBothWays) {
  set_init_string(kTags);
  DCSInitialize();
  DCSLoad(record.get());
  int valve = record.add_controller("VALVE", 1);
  int level = record.add_point("LEVEL", 1, 1.0);
  ASSERT_EQ(DCSConfigure(record.get()), 1);
  DCSTimeZero();
  DCSStart();
  for (int step = 0; step < 60; ++step) {
    if (step == 30) {
      EXPECT_EQ(DCSReset(), 0);
      EXPECT_TRUE(all_handles_clear());
    }
    record.pv(level).Value = 1.0 + step;
    ASSERT_EQ(DCSSimulate(record.get()), 1);
    double received = 0.0;
    ASSERT_EQ(dravlink_input(DRAVLINK_AI, 1, "LEVEL", &received, nullptr), 1);
    EXPECT_EQ(received, 1.0 + step);
    if (step > 0) {
      EXPECT_EQ(out_valid(valve), 1);
      EXPECT_DOUBLE_EQ(out_value(valve), 2.0 * step * 0.01);  // answer to step - 1
    }
    dravlink_set_output(DRAVLINK_AO, 1, "VALVE", 2.0 * (received), 0, 0, 0);
  }
  DCSStop();
  DCSDestroy(record.get());
  EXPECT_TRUE(table_holds(Table::AO, -1));
  EXPECT_EQ(driver_blocks(), 0);
  EXPECT_TRUE(error_keys().empty());
}

}  // namespace
