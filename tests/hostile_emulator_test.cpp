// An emulator library that misbehaves: a string shorter than its reported
// length or cut by a zero, lengths that change from load to load, handle
// words rewritten at will, statuses and values left unwritten, and values
// that are not ordinary numbers. The driver must stay inside what it owns
// and keep the catalogue consistent.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "catalogue/tag_catalogue.h"
#include "driver/driver_state.h"
#include "link_fixture.h"
#include "record/fields.h"

namespace {

const std::string kTags =
    "*AI*\nLEVEL,x,1,0,100\n*AO*\nVALVE,x,1,0,100\n*DI*\nRUN,x,1\n*DO*\nCMD,x,1\n"
    "*DCD*\nSTATE,x,1,100,101,102,103,104,105,106,107,108,109,110,111,112,113,114,115,116\n"
    "*CALC*\nERR,x,1\n";

// Every entry as "TABLE:NAME", table after table; each table is also
// checked against its count.
std::vector<std::string> catalogue_entries() {
  std::vector<std::string> entries;
  const char* table_names[] = {"AI", "AO", "DI", "DO", "DCD", "CALC"};
  int table = 0;
  int created = 0;
  for_each_table(driver_state.Catalogue, [&](const auto& t) {
    EXPECT_GE(t.Count, 0);
    created += t.Entries != nullptr;
    for (int i = 0; i < t.Count; ++i) {
      entries.push_back(std::string(table_names[table]) + ":" + t.Entries[i].Name);
    }
    ++table;
  });
  EXPECT_TRUE(created == 0 || created == 6) << created << " tables";
  return entries;
}

int length_of(const std::string& text) { return static_cast<int>(text.size()); }

class HostileEmulatorTest : public LinkTest {};

// What one load keeps when the library writes fewer characters than it
// reported, a zero inside the string, or one character more, into the byte
// that ends the text: the text up to there or up to the reported length,
// nothing after it and nothing of the buffer it did not write.
TEST_F(HostileEmulatorTest, InitStringWrittenShortOrCutByAZero) {
  const std::string cut_inside = kTags.substr(0, kTags.find("CMD") + 2);
  const std::string with_zero =
      "*DI*\nA,x,1\n" + std::string(1, '\0') + "*DO*\nB,x,2\n" + std::string(40, ' ');
  struct Case {
    const char* what;
    std::string text;
    std::int32_t written;   // -1: all of it
    std::int32_t reported;  // -1: the text's length
    std::vector<std::string> entries;
  };
  const Case cases[] = {
      {"short write inside a record",
       kTags,
       length_of(cut_inside),
       -1,
       {"AI:LEVEL", "AO:VALVE", "DI:RUN", "DO:CM"}},
      {"nothing written", kTags, 0, -1, {}},
      {"zero inside the string", with_zero, -1, -1, {"DI:A"}},
      {"zero first", std::string(1, '\0') + kTags, -1, -1, {}},
      {"one character into the terminator's byte",
       kTags,
       length_of(cut_inside) + 1,
       length_of(cut_inside),
       {"AI:LEVEL", "AO:VALVE", "DI:RUN", "DO:CM"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HostRecord fresh;
    set_init_string(c.text);
    dravlink_set_init_written(c.written);
    if (c.reported >= 0) dravlink_set_init_length(c.reported);
    DCSLoad(fresh.get());
    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(catalogue_exists(driver_state.Catalogue));
    EXPECT_EQ(catalogue_entries(), c.entries);
    DCSDestroy(fresh.get());
    EXPECT_EQ(driver_blocks(), 0);
  }
}

// Each load believes the length of its own moment: a shorter one cuts the
// text, one of 33 or less leaves the catalogue as it was, and the binding
// asks again.
TEST_F(HostileEmulatorTest, LengthChangesBetweenLoads) {
  const std::string cut = kTags.substr(0, kTags.find("*DI*"));
  const std::int32_t lengths[] = {length_of(kTags), length_of(cut), 33, length_of(kTags), 0};
  dravlink_set_init_lengths(lengths, 5);
  set_init_string(kTags);
  const std::vector<std::string> all = {"AI:LEVEL", "AO:VALVE",  "DI:RUN",
                                        "DO:CMD",   "DCD:STATE", "CALC:ERR"};
  std::vector<std::string> expected;
  for (const auto& load_adds :
       {all, std::vector<std::string>{"AI:LEVEL", "AO:VALVE"}, std::vector<std::string>{}, all}) {
    HostRecord fresh;
    DCSLoad(fresh.get());
    free_dcs_data(fresh.get());
    expected.insert(expected.end(), load_adds.begin(), load_adds.end());
    std::vector<std::string> entries = catalogue_entries();
    std::sort(entries.begin(), entries.end());
    std::vector<std::string> sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(entries, sorted);
  }
  EXPECT_EQ(boxes().size(), 1u);  // the load warning of the third load
  // The emulator now offers nothing: the link is refused, the tags stay.
  DCSLoad(record.get());
  record.add_controller("VALVE", 1);
  EXPECT_EQ(DCSConfigure(record.get()), 0);
  EXPECT_EQ(slot_int(record.ctrl_slot(0, 2)), 0);
  EXPECT_EQ(catalogue_entries().size(), expected.size());
}

// The library leaves any word it likes at a handle address, on every call.
// The driver passes each item the address of its own entry's word, keeps
// whatever the library left there for the next call, clears every word on
// reset and never reads the word itself.
TEST_F(HostileEmulatorTest, HandleWordsRewrittenAtWill) {
  load(kTags);
  record.add_controller("VALVE", 1);
  record.add_controller("valve", 1);  // shares the entry, and so its word
  record.add_controller("CMD", 1);
  record.add_controller("STATE", 1);
  record.add_controller("ERR", 1);
  record.add_point("LEVEL", 1, 2.5);
  record.add_point("RUN", 1, 1.0);
  ASSERT_EQ(DCSConfigure(record.get()), 1);
  const std::vector<std::string> before = catalogue_entries();
  dravlink_set_output(DRAVLINK_AO, 1, "VALVE", 50.0, 0, 0, 0);
  dravlink_set_output(DRAVLINK_DO, 1, "CMD", 0.0, 1, 0, 0);
  dravlink_set_output(DRAVLINK_DCD, 1, "STATE", 0.0, 4, 0, 0);
  dravlink_set_output(DRAVLINK_CALC, 1, "ERR", 25.0, 0, 0, 0);
  const std::int32_t* handles[] = {
      &driver_state.Catalogue.AO.Entries[0].Handle,   &driver_state.Catalogue.AO.Entries[0].Handle,
      &driver_state.Catalogue.DO.Entries[0].Handle,   &driver_state.Catalogue.DCD.Entries[0].Handle,
      &driver_state.Catalogue.CALC.Entries[0].Handle, &driver_state.Catalogue.AI.Entries[0].Handle,
      &driver_state.Catalogue.DI.Entries[0].Handle};
  dravlink_scramble_handles(1);
  dravlink_clear_calls();
  std::map<const std::int32_t*, std::int32_t> left;  // what the library left, per address
  for (int step = 0; step < 40; ++step) {
    if (step % 10 == 9) {
      EXPECT_EQ(DCSReset(), 0);
      for_each_table(driver_state.Catalogue, [](const auto& table) {
        for (int i = 0; i < table.Count; ++i) EXPECT_EQ(table.Entries[i].Handle, 0);
      });
      left.clear();
      dravlink_clear_calls();
    }
    ASSERT_EQ(DCSSimulate(record.get()), 1);
    ASSERT_EQ(dravlink_call_count(), 7) << step;
    for (int i = 0; i < 7; ++i) {
      const DravlinkCall& call = *dravlink_call(i);
      EXPECT_EQ(call.handle, handles[i]) << step << " " << i;
      EXPECT_EQ(call.handle_word, left.count(call.handle) ? left[call.handle] : 0) << step;
      left[call.handle] = call.handle_left;
    }
    for (const auto& [address, word] : left) EXPECT_EQ(*address, word);
    EXPECT_EQ(out_value(0), 50.0 * 0.01);
    EXPECT_EQ(out_value(2), 1.0);
    EXPECT_EQ(out_value(3), 103.0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(out_valid(i), 1) << i;
    dravlink_clear_calls();
  }
  EXPECT_EQ(catalogue_entries(), before);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(index_of_ctrl(i), 0) << i;
}

// Reads whose status or value the library leaves unwritten, and values that
// are NaN, infinite, denormal or at the integer limits: each controller gets
// the rule's value and validity, and no state outside 1 to 16 reaches the
// entry's values.
TEST_F(HostileEmulatorTest, UnwrittenAndExtremeReadResults) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double denormal = 2.5e-310;
  volatile double percent = 0.01;  // the driver's scaling, done at run time here too
  const double kOld = 3.25;        // what the controller held before the step
  constexpr int kLeaveBoth = DRAVLINK_LEAVE_VALUE | DRAVLINK_LEAVE_STATUS;
  struct Case {
    DravlinkKind kind;
    const char* tag;
    double real;
    std::int32_t integer;
    int flags;
    double value;  // OutValue after the step
    int valid;     // OutValid after the step
  };
  const Case cases[] = {
      {DRAVLINK_AO, "VALVE", nan, 0, 0, nan, 1},
      {DRAVLINK_AO, "VALVE", inf, 0, 0, inf, 1},
      {DRAVLINK_AO, "VALVE", -inf, 0, 0, -inf, 1},
      {DRAVLINK_AO, "VALVE", denormal, 0, 0, denormal * percent, 1},
      {DRAVLINK_AO, "VALVE", 7.0, 0, DRAVLINK_LEAVE_VALUE, kOld * percent, 1},
      {DRAVLINK_AO, "VALVE", 7.0, 0, DRAVLINK_LEAVE_STATUS, 7.0, 0},
      {DRAVLINK_AO, "VALVE", 7.0, 0, kLeaveBoth, kOld, 0},
      {DRAVLINK_CALC, "ERR", -nan, 0, 0, nan, 1},
      {DRAVLINK_CALC, "ERR", 7.0, 0, kLeaveBoth, kOld, 0},
      {DRAVLINK_DO, "CMD", 0.0, INT32_MIN, 0, -2147483648.0, 1},
      {DRAVLINK_DO, "CMD", 0.0, 9, DRAVLINK_LEAVE_VALUE, 0.0, 1},  // the value starts at 0
      {DRAVLINK_DO, "CMD", 0.0, 9, DRAVLINK_LEAVE_STATUS, kOld, 0},
      {DRAVLINK_DO, "CMD", 0.0, 9, kLeaveBoth, kOld, 0},
      {DRAVLINK_DCD, "STATE", 0.0, INT32_MIN, 0, kOld, 1},
      {DRAVLINK_DCD, "STATE", 0.0, INT32_MAX, 0, kOld, 1},
      {DRAVLINK_DCD, "STATE", 0.0, 17, DRAVLINK_LEAVE_STATUS, kOld, 1},
      {DRAVLINK_DCD, "STATE", 0.0, 4, DRAVLINK_LEAVE_VALUE, kOld, 1},
      {DRAVLINK_DCD, "STATE", 0.0, 4, DRAVLINK_LEAVE_STATUS, 103.0, 0},
  };
  const char* const controllers[] = {"VALVE", "ERR", "CMD", "STATE"};
  load(kTags);
  for (const char* tag : controllers) record.add_controller(tag, 1);
  ASSERT_EQ(DCSConfigure(record.get()), 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.tag << " " << c.real << " " << c.integer << " flags " << c.flags);
    int i = 0;
    while (std::strcmp(controllers[i], c.tag) != 0) ++i;
    record.ctrl(i).OutValue = kOld;
    record.ctrl(i).OutValid = 1;
    dravlink_reset();
    dravlink_set_output(c.kind, 1, c.tag, c.real, c.integer, 0, c.flags);
    ASSERT_EQ(DCSSimulate(record.get()), 1);
    if (std::isnan(c.value)) {
      EXPECT_TRUE(std::isnan(out_value(i)));
    } else {
      EXPECT_EQ(out_value(i), c.value);
    }
    EXPECT_EQ(out_valid(i), c.valid);
  }
  EXPECT_EQ(driver_state.Catalogue.DCD.Entries[0].StateValue[16], 116.0);
}

}  // namespace
