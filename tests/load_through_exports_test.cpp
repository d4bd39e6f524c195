// DCSLoad and DCSDestroy seen from the host's side only: through the nine
// exports and the stand-ins, so these run the same against the Windows DLL.
// What the load reads shows in what binds and what a DCD state delivers;
// what it writes shows at the host's byte offsets; what it allocates shows
// in the host's heap.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/entry_points.h"
#include "link_fixture.h"
#include "number_cases.h"

namespace {

// The text as one field of a record: as it stands when the tokenizer hands
// it over whole (no delimiter, blank or quote, not empty), otherwise quoted,
// which keeps delimiters and leading blanks. Empty quoted text reads as the
// closing quote, which is no number either.
std::string field_of(const std::string& text) {
  if (!text.empty() && text.find_first_of(",;\n\r\t \"'") == std::string::npos) return text;
  return '"' + text + '"';
}

// The name of the i-th tag of a kind (built up with +=, which GCC 12's
// -Wrestrict does not misjudge at -O3).
std::string tag_name(char kind, std::size_t i) {
  std::string name(1, kind);
  name += std::to_string(i);
  return name;
}

class LoadThroughExportsTest : public LinkTest {};

// Each Id becomes a DI entry; a process variable binds to it only on the
// data set the Id was read as.
TEST_F(LoadThroughExportsTest, TagIdsReadAsTheDataSetsTheyBindOn) {
  std::string init = "*DI*\n";
  const std::vector<IdCase> cases = id_cases();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    init += tag_name('I', i);
    init += ",x,";
    init += field_of(cases[i].text);
    init += '\n';
  }
  load(init);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    record.add_point(tag_name('I', i).c_str(), cases[i].id);
  }
  ASSERT_EQ(DCSConfigure(record.get()), 1);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    int item = static_cast<int>(i);
    EXPECT_EQ(code_of_pv(item), 2) << '"' << cases[i].text << '"';
    EXPECT_EQ(index_of_pv(item), item) << '"' << cases[i].text << '"';
  }
}

// Each real is the value of state 3 of its own DCD entry, which a controller
// on that entry receives when the emulator reports state 3.
TEST_F(LoadThroughExportsTest, RealsReadAsTheStateValuesTheyDeliver) {
  std::vector<RealCase> cases = real_form_cases();
  for (const RealCase& c : rounding_cases()) cases.push_back(c);
  std::string init = "*DCD*\n";
  for (std::size_t i = 0; i < cases.size(); ++i) {
    init += tag_name('R', i);
    init += ",x,1,0,0,";
    init += field_of(cases[i].text);
    init += ",0,0,0,0,0,0,0,0,0,0,0,0,0,0\n";
  }
  load(init);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    std::string tag = tag_name('R', i);
    record.add_controller(tag.c_str(), 1);
    dravlink_set_output(DRAVLINK_DCD, 1, tag.c_str(), 0.0, 3, 0, 0);
  }
  ASSERT_EQ(DCSConfigure(record.get()), 1);
  ASSERT_EQ(DCSSimulate(record.get()), 1);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    int item = static_cast<int>(i);
    const std::string shown = cases[i].text.substr(0, 40);
    EXPECT_EQ(out_valid(item), 1) << shown;
    EXPECT_EQ(out_value(item), cases[i].value) << shown;
    EXPECT_EQ(std::signbit(out_value(item)), std::signbit(cases[i].value)) << shown;
  }
}

template <typename T>
T read_at(const DCSData* data, std::size_t offset) {
  T value;
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(data) + offset, sizeof value);
  return value;
}

// The declaration lands at the host's offsets: counts, definition arrays of
// 24-byte entries with the label at +4, the real and the default arrays.
TEST_F(LoadThroughExportsTest, LoadWritesTheRecordAtTheHostsOffsets) {
  if (!HOST_POINTER_WIDTH) GTEST_SKIP() << "the host's offsets hold for 4-byte pointers";
  load("");
  const DCSData* data = record.get();
  const char* ctrl_labels[] = {"TAG", "DS", "CtrlType", "StructIdx"};
  const char* pv_labels[] = {"TAG", "DS", "PVType", "StructIdx"};
  struct List {
    std::size_t count, defs, defaults;
    const char** labels;
  };
  for (const List& list : {List{8, 12, 84, ctrl_labels}, List{16, 20, 114, pv_labels}}) {
    SCOPED_TRACE(list.labels[2]);
    ASSERT_EQ(read_at<std::int32_t>(data, list.count), 4);
    const auto* defs = read_at<const unsigned char*>(data, list.defs);
    ASSERT_NE(defs, nullptr);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(read_at<std::int32_t>(reinterpret_cast<const DCSData*>(defs + 24 * k), 0),
                k == 0 ? FIELD_TEXT : FIELD_INT);
      EXPECT_STREQ(read_at<const char*>(reinterpret_cast<const DCSData*>(defs + 24 * k), 4),
                   list.labels[k]);
    }
    const auto* defaults = read_at<const DCSValue*>(data, list.defaults);
    ASSERT_NE(defaults, nullptr);
    EXPECT_EQ(slot_int(defaults[SLOT_DS]), 1);
    EXPECT_EQ(slot_int(defaults[SLOT_STRUCT_IDX]), -1);
  }
  EXPECT_EQ(read_at<double>(data, 52), 1.0);
}

const std::string kPlant =
    "*AI*\nLEVEL,x,1,0,100\n*AO*\nVALVE,x,1,0,100\n*DI*\nRUN,x,1\n*DO*\nCMD,x,1\n"
    "*DCD*\nSTATE,x,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n*CALC*\nERR,x,1\n";
const Box kOutOfMemory = {"Error: Out of Memory", "DCS Load Dravik"};

// Every allocation of a load fails in turn, once and then for good: the load
// says so in a box, and DCSDestroy leaves no block of the driver's in the
// host's heap.
TEST_F(LoadThroughExportsTest, OutOfMemorySweepOfTheLoadLeavesNoBlock) {
  for (int sticky : {0, 1}) {
    SCOPED_TRACE(sticky ? "every later allocation fails too" : "one allocation fails");
    long allocations = sweep_allocation_failures(
        [](HostRecord& fresh) {
          set_init_string(kPlant);
          DCSLoad(fresh.get());
        },
        [this](HostRecord& fresh, bool failed) {
          fresh.add_controller("VALVE", 1);
          DCSConfigure(fresh.get());
          // One box for the whole load at most; a load that made no
          // catalogue has DCSConfigure refuse.
          std::vector<Box> shown = boxes();
          if (!shown.empty() && shown.back().caption == "DCSConfigError") shown.pop_back();
          EXPECT_EQ(shown.empty(), !failed);
          EXPECT_LE(shown.size(), 1u);
          for (const Box& box : shown) EXPECT_EQ(box, kOutOfMemory);
          if (!failed) {
            EXPECT_EQ(slot_int(fresh.ctrl_slot(0, SLOT_TYPE)), 1);
          }
          DCSDestroy(fresh.get());
          EXPECT_EQ(driver_blocks(), 0);
        },
        sticky);
    EXPECT_EQ(allocations, 12 + 13);  // the fields, then the catalogue
  }
}

}  // namespace
