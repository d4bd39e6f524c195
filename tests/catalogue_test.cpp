#include <gtest/gtest.h>
// Reading the emulator's initialization string into the six tag tables, and
// releasing them.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/tag_catalogue.h"
#include "comma_locale.h"
#include "driver/driver_state.h"
#include "driver/entry_points.h"
#include "driver/link_steps.h"
#include "host/host_library.h"
#include "host_record.h"
#include "record/fields.h"
#include "standin_fixture.h"

namespace {

const std::string SIX_HEADERS = "*AI*\n*AO*\n*DI*\n*DO*\n*DCD*\n*CALC*\n";  // 33 characters
const Box LOAD_WARNING = {
    "Empty initialization string from Dravik.\nDCS link cannot be enabled.\n\n"
    "Start the Dravik Non Control Tags Application.\nClose (Save) current ORVENT case.\n"
    "Reload stored case or recreate new case",
    "DCSLoadWarning"};
const Box OUT_OF_MEMORY = {"Error: Out of Memory", "DCS Load Dravik"};

// A title, then one record in each section, in the order of the tables.
const std::string PLANT =
    "Dravik tag list\nUnit 3 'north'\n"
    "*AI*\nFI101.PV,Feed flow,101,0.0,250.0\nTI102.PV,Reactor temp,102,-50,4.5E2\n"
    "*AO*\nFIC101.OUT,Feed valve,0x201,0,100\n*DI*\nXS301,Pump start,301\n"
    "*DO*\nXI302;Pump running;302\n*DCD*\nHS401,Mode,401,0,1,2.5,3.5,4.5,5.5,6.5,7.5,8.5,"
    "9.5,10.5,11.5,12.5,13.5,14.5,15.5,16.5\n*CALC*\n\"RATIO, FEED\",Calc,501\n";
const std::vector<std::string> PLANT_NAMES = {"FI101.PV", "TI102.PV", "FIC101.OUT", "XS301",
                                              "XI302",    "HS401",    "RATIO, FEED"};

template <typename Entry>
std::vector<std::string> names(const TagTable<Entry>& table) {
  std::vector<std::string> result;
  for (int i = 0; i < table.Count; ++i) result.emplace_back(table.Entries[i].Name);
  return result;
}

// Every name, table after table.
std::vector<std::string> all_names(const TagCatalogue& c) {
  std::vector<std::string> result;
  for_each_table(c, [&result](const auto& table) {
    std::vector<std::string> part = names(table);
    result.insert(result.end(), part.begin(), part.end());
  });
  return result;
}

std::vector<int> counts(const TagCatalogue& c) {
  std::vector<int> result;
  for_each_table(c, [&result](const auto& table) { result.push_back(table.Count); });
  return result;
}

// All six tables exist, or none does.
int tables(const TagCatalogue& c) {
  int created = 0;
  for_each_table(c, [&created](const auto& table) { created += table.Entries != nullptr; });
  return created;
}

class CatalogueTest : public CatalogueOwnerTest {
 protected:
  void TearDown() override {
    CatalogueOwnerTest::TearDown();
    EXPECT_EQ(tables(catalogue_), 0);
    EXPECT_EQ(counts(catalogue_), std::vector<int>(6, 0));
  }
  bool append(std::string text) { return append_tags_checked(catalogue_, text.data()); }
  // A load of its own, with its own flag for the out-of-memory box.
  void load_once() {
    bool box_shown = false;
    load_catalogue(catalogue_, box_shown);
  }
  void load(const std::string& text) {
    set_init_string(text);
    load_once();
  }
};

// What an observer is told, one line an event: "name1:B" (entry 1), "field2:1"
// (position 2), "(end)" for a field past the end of the text.
void told(void* context, const LoadEvent& event) {
  static const char* const KINDS[] = {"before", "header", "name",     "field",
                                      "unread", "stop",   "no memory"};
  std::string line = KINDS[event.Kind];
  if (event.Kind == SEEN_NAME) line += std::to_string(event.Entry);
  if (event.Kind == SEEN_FIELD) line += std::to_string(event.Field);
  if (event.PastEnd) line += "(end)";
  line += ":" + std::string(event.Token != nullptr ? event.Token : "");
  static_cast<std::vector<std::string>*>(context)->push_back(line);
}

// The loader tells an observer every token, in the text's order, with what it
// made of it, and how the reading ended, memory refused included; it loads
// the same tables as without.
TEST_F(CatalogueTest, AnObserverIsToldEveryTokenAndTheLoadIsTheSame) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> told;
    long failing = 0;  // the allocation refused, counted from the load's first
  };
  const std::vector<Case> cases = {
      {"two sections, a record cut short by the end",
       "title\n*AI*\nA,x,1,0,1\n*DI*\nB,x,1\nC,y",
       {"before:title", "header:*AI*", "name0:A", "field1:x", "field2:1", "field3:0", "field4:1",
        "header:*DI*", "name0:B", "field1:x", "field2:1", "name1:C", "field1:y", "field2(end):"}},
      {"an empty token stops the reading; what follows is unread",
       "*DO*\nA,x,1\n,,\nB,x,1\n",
       {"header:*DO*", "name0:A", "field1:x", "field2:1", "stop:", "unread:B", "unread:x",
        "unread:1"}},
      {"an empty token at the very end stops nothing",
       "*DO*\nA,x,1,,\n",
       {"header:*DO*", "name0:A", "field1:x", "field2:1"}},
      {"memory runs out for the second name: the token after its record is the first unread",
       "*DO*\nA,x,1\nB,x,2\nC,x,3\n",
       {"header:*DO*", "name0:A", "field1:x", "field2:1", "name1:B", "field1:x", "field2:2",
        "no memory:", "unread:C", "unread:x", "unread:3"},
       9},  // the six tables, A's name, the table's growth, B's name
      {"memory runs out for the tables: every token is unread",
       "*DO*\nA,x,1\n",
       {"no memory:", "unread:*DO*", "unread:A", "unread:x", "unread:1"},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> seen;
    LoadObserver observer = {&seen, nullptr, told, nullptr};
    TagCatalogue observed = {};
    std::string text = c.text;
    corva_fail_allocation(c.failing, 0);
    EXPECT_EQ(append_tags_checked(observed, text.data(), &observer), c.failing == 0);
    EXPECT_EQ(seen, c.told);
    corva_fail_allocation(c.failing, 0);
    EXPECT_EQ(append(c.text), c.failing == 0);
    corva_fail_allocation(0, 0);
    EXPECT_EQ(all_names(observed), all_names(catalogue_));
    release_catalogue(observed);
    release_catalogue(catalogue_);
  }
}

TEST_F(CatalogueTest, ThirtyThreeCharactersWarnAndThirtyFourCreateSixEmptyTables) {
  load(SIX_HEADERS);
  EXPECT_EQ(boxes(), std::vector<Box>{LOAD_WARNING});
  EXPECT_EQ(tables(catalogue_), 0);
  EXPECT_EQ(corva_allocations(), 0);
  load(SIX_HEADERS + " ");
  EXPECT_EQ(boxes().size(), 1u);
  EXPECT_EQ(tables(catalogue_), 6);
  EXPECT_EQ(counts(catalogue_), std::vector<int>(6, 0));
}

TEST_F(CatalogueTest, ReadsEverySectionFromARealisticString) {
  load(PLANT);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(all_names(catalogue_), PLANT_NAMES);
  const RangedTag& ti = catalogue_.AI.Entries[1];
  EXPECT_EQ(ti.Id, 102);
  EXPECT_EQ(ti.Handle, 0);
  EXPECT_EQ(ti.Low, -50.0);
  EXPECT_EQ(ti.High, 450.0);
  EXPECT_EQ(catalogue_.AO.Entries[0].Id, 0x201);
  EXPECT_EQ(catalogue_.DO.Entries[0].Id, 302);
  const DcdTag& hs = catalogue_.DCD.Entries[0];
  EXPECT_EQ(hs.Id, 401);
  EXPECT_EQ(hs.StateValue[0], 0.0);
  EXPECT_EQ(hs.StateValue[16], 16.5);
  EXPECT_EQ(catalogue_.CALC.Entries[0].Id, 501);
}

TEST_F(CatalogueTest, HeadersAreWholeExactTokensAndOnlyFirstTokensAreExamined) {
  // No header at all: six empty tables.
  EXPECT_TRUE(append("*ai*,A,x,1,2,3\n*AI*\r\nB,x,1,2,3\n"));
  EXPECT_EQ(counts(catalogue_), std::vector<int>(6, 0));
  // In a section a lower-case header is a name; a short AI record takes the
  // next header as its Low and the token after it as its High.
  EXPECT_TRUE(append("*AI*\n*ai*,x,7,1,2\nT1,x,1\n*DI*\n2.5\nT2,x,2,3,4\n*DO*\nD,x,9"));
  EXPECT_EQ(names(catalogue_.AI), (std::vector<std::string>{"*ai*", "T1", "T2"}));
  EXPECT_EQ(catalogue_.AI.Entries[1].Low, 0.0);
  EXPECT_EQ(catalogue_.AI.Entries[1].High, 2.5);
  EXPECT_EQ(catalogue_.AI.Entries[2].High, 4.0);
  EXPECT_EQ(catalogue_.DI.Count, 0);
  EXPECT_EQ(names(catalogue_.DO), std::vector<std::string>{"D"});
}

TEST_F(CatalogueTest, EmptyTokenEndsTheLoadButEmptyQuotedNameDoesNot) {
  EXPECT_TRUE(append("*DI*\n\"\",x,1\n\"A, b \",x,2\nC,x,3,\n,D,x,4"));
  EXPECT_EQ(names(catalogue_.DI), (std::vector<std::string>{"\"", "A, b ", "C"}));
}

TEST_F(CatalogueTest, ReadsIdAndRealForms) {
  EXPECT_TRUE(append(
      "*DI*\nA,x,0x1F\nB,x,010\nC,x,-5\nD,x,12abc\nE,x,abc\nF,x,99999999999\nG,x,-0x80000001\n"
      "*AI*\nR,x,1,1.5d2,-2.5D-1\nS,x,2,junk\n"));
  std::vector<std::int32_t> ids;
  for (int i = 0; i < catalogue_.DI.Count; ++i) ids.push_back(catalogue_.DI.Entries[i].Id);
  EXPECT_EQ(ids, (std::vector<std::int32_t>{31, 8, -5, 12, 0, INT32_MAX, INT32_MIN}));
  EXPECT_EQ(catalogue_.AI.Entries[0].Low, 150.0);
  EXPECT_EQ(catalogue_.AI.Entries[0].High, -0.25);
  // A record cut short by the end gets zeros.
  EXPECT_EQ(catalogue_.AI.Entries[1].Low, 0.0);
  EXPECT_EQ(catalogue_.AI.Entries[1].High, 0.0);
}

TEST_F(CatalogueTest, RealsReadTheSameUnderACommaLocale) {
  CommaLocale locale;
  ASSERT_TRUE(locale.active());
  load(PLANT);
  EXPECT_EQ(catalogue_.AI.Entries[1].High, 450.0);
  EXPECT_EQ(catalogue_.DCD.Entries[0].StateValue[2], 2.5);
}

TEST_F(CatalogueTest, SecondLoadAppendsAndKeepsEarlierHandles) {
  load(PLANT);
  catalogue_.AI.Entries[0].Handle = 7;
  load(PLANT);
  EXPECT_EQ(counts(catalogue_), std::vector<int>({4, 2, 2, 2, 2, 2}));
  EXPECT_EQ(names(catalogue_.AI),
            (std::vector<std::string>{"FI101.PV", "TI102.PV", "FI101.PV", "TI102.PV"}));
  EXPECT_EQ(catalogue_.AI.Entries[0].Handle, 7);
  EXPECT_EQ(catalogue_.AI.Entries[2].Handle, 0);
}

TEST_F(CatalogueTest, ReportedLengthDecidesWhatIsRead) {
  // A negative length is no string; an absurd one gets no buffer at all.
  set_init_string(PLANT);
  dravlink_set_init_length(-1);
  load_once();
  dravlink_set_init_length(INT32_MAX);
  load_once();
  dravlink_set_init_length(MAX_INIT_LENGTH + 1);
  load_once();
  EXPECT_EQ(boxes(), (std::vector<Box>{LOAD_WARNING, OUT_OF_MEMORY, OUT_OF_MEMORY}));
  EXPECT_EQ(corva_allocations(), 0);
  EXPECT_EQ(tables(catalogue_), 0);
  // A length past the string's end reads it all, up to the largest believed;
  // a shorter one cuts it.
  dravlink_set_init_length(MAX_INIT_LENGTH);
  load_once();
  EXPECT_EQ(all_names(catalogue_), PLANT_NAMES);
  release_catalogue(catalogue_);
  dravlink_set_init_length(100000);
  load_once();
  EXPECT_EQ(all_names(catalogue_), PLANT_NAMES);
  std::size_t cut = PLANT.find("FIC101.OUT") + 3;
  dravlink_set_init_length(static_cast<std::int32_t>(cut));
  load_once();
  EXPECT_EQ(names(catalogue_.AO), (std::vector<std::string>{"FIC101.OUT", "FIC"}));
}

TEST_F(CatalogueTest, FullTableReadsAndDropsFurtherRecords) {
  ASSERT_TRUE(append(SIX_HEADERS));
  // Fill two tables to one short of the limit straight through the host's heap.
  auto fill = [](auto& table) {
    table.Entries = static_cast<decltype(table.Entries)>(
        Corva_realloc(table.Entries, sizeof *table.Entries * (MAXTAGS - 1)));
    ASSERT_NE(table.Entries, nullptr);
    for (int i = 0; i < MAXTAGS - 1; ++i) {
      table.Entries[i] = {};
      table.Entries[i].Name = Corva_strdup("old");
    }
    table.Count = MAXTAGS - 1;
  };
  fill(catalogue_.DI);
  fill(catalogue_.DCD);
  std::string values;
  for (int i = 0; i < DCD_STATE_VALUES; ++i) values += ",1.5";
  EXPECT_TRUE(append("*DI*\nLAST,x,1\nOVER,x,2\nOVER,x,3\n*DCD*\nLAST,x,1" + values + "\nOVER,x,2" +
                     values + "\n*DO*\nD,x,4\n"));
  for (const auto* table : {&catalogue_.DI.Count, &catalogue_.DCD.Count}) {
    EXPECT_EQ(*table, MAXTAGS);
  }
  EXPECT_STREQ(catalogue_.DI.Entries[MAXTAGS - 1].Name, "LAST");
  EXPECT_STREQ(catalogue_.DCD.Entries[MAXTAGS - 1].Name, "LAST");
  EXPECT_EQ(catalogue_.DCD.Entries[MAXTAGS - 1].StateValue[16], 1.5);
  EXPECT_EQ(names(catalogue_.DO), std::vector<std::string>{"D"});
  EXPECT_EQ(catalogue_.DO.Entries[0].Id, 4);
}

// The entries of every table, as the block's size from the heap shows them.
template <typename Check>
void for_each_block(const TagCatalogue& c, Check check) {
  for_each_table(c, [&](const auto& table) {
    if (table.Entries == nullptr) return;
    std::size_t entries = Corva__msize(table.Entries) / sizeof *table.Entries;
    check(entries, table.Count > 1 ? std::size_t(table.Count) : std::size_t{1});
  });
}

// PLANT with three more AI records, so that the AI table grows twice and
// ends with spare room to give back.
const std::string GROWN_PLANT = [] {
  std::string text = PLANT;
  return text.insert(text.find("*AO*"),
                     "LT103.PV,Level,103,0,5\nPT104.PV,Pressure,104,0,9\nFT105.PV,Flow,105,0,1\n");
}();
const std::vector<std::string> GROWN_PLANT_NAMES = {
    "FI101.PV",   "TI102.PV", "LT103.PV", "PT104.PV", "FT105.PV",
    "FIC101.OUT", "XS301",    "XI302",    "HS401",    "RATIO, FEED"};

// Each allocation of a load is refused in turn, once or from then on. A
// refused name, buffer or table set stops the load there with one box; a
// refused grown block is asked again for one more entry, so a single refusal
// never stops the load; a refused trim keeps the larger block. Whatever was
// read stays, every count matches the entries the block holds, and nothing
// leaks.
TEST_F(CatalogueTest, OutOfMemoryAtAnyAllocationKeepsWhatWasRead) {
  corva_reset();
  load(GROWN_PLANT);
  long whole_load = corva_allocations();
  long resizes = corva_calls(CORVA_REALLOC);
  ASSERT_EQ(all_names(catalogue_), GROWN_PLANT_NAMES);
  for_each_block(catalogue_, [](std::size_t held, std::size_t count) { EXPECT_EQ(held, count); });
  release_catalogue(catalogue_);
  for (int sticky : {1, 0}) {
    long stopped = 0;
    long complete_despite_failure = 0;
    for (long failing = 1; failing <= whole_load; ++failing) {
      SCOPED_TRACE("failing allocation " + std::to_string(failing) + (sticky ? " on" : ""));
      corva_reset();
      user32_reset();
      corva_fail_allocation(failing, sticky);
      load(GROWN_PLANT);
      corva_fail_allocation(0, 0);
      std::vector<std::string> kept = all_names(catalogue_);
      ASSERT_LE(kept.size(), GROWN_PLANT_NAMES.size());
      EXPECT_EQ(kept, std::vector<std::string>(GROWN_PLANT_NAMES.begin(),
                                               GROWN_PLANT_NAMES.begin() + kept.size()));
      EXPECT_TRUE(tables(catalogue_) == 0 || tables(catalogue_) == 6);
      for_each_block(catalogue_,
                     [](std::size_t held, std::size_t count) { EXPECT_GE(held, count); });
      if (kept.size() == GROWN_PLANT_NAMES.size()) {
        EXPECT_TRUE(boxes().empty());
        ++complete_despite_failure;
      } else {
        EXPECT_EQ(boxes(), std::vector<Box>{OUT_OF_MEMORY});
        ++stopped;
      }
      release_catalogue(catalogue_);
      EXPECT_EQ(driver_blocks(), 0);
    }
    if (sticky == 0) {
      // Only the buffer, the six tables, the names and AI's growth from one
      // entry to two (already the request for one more) can stop a load.
      EXPECT_EQ(stopped, 8 + static_cast<long>(GROWN_PLANT_NAMES.size()));
      EXPECT_EQ(complete_despite_failure, resizes - 1);
    }
  }
}

TEST_F(CatalogueTest, RefusedGrowthAsksForExactlyOneMoreEntry) {
  ASSERT_TRUE(append("*DI*\nA,x,1\nB,x,2\n"));
  // The doubled block is refused once: the table grows by one entry and
  // needs no trim.
  long before = corva_allocations();
  corva_fail_allocation(1, 0);
  EXPECT_TRUE(append("*DI*\nC,x,3\n"));
  EXPECT_EQ(corva_allocations() - before, 3);  // doubled, one more, the name
  EXPECT_EQ(Corva__msize(catalogue_.DI.Entries), 3 * sizeof(PlainTag));
  // Both refused: the load stops and the old block stays the table's.
  corva_fail_allocation(1, 1);
  EXPECT_FALSE(append("*DI*\nD,x,4\n"));
  corva_fail_allocation(0, 0);
  EXPECT_EQ(names(catalogue_.DI), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(Corva__msize(catalogue_.DI.Entries), 3 * sizeof(PlainTag));
}

class EntryPointCatalogueTest : public StandinTest {};

// From the n-th allocation on every one fails: the load shows one box
// however many of its parts run out, and load and destroy leave no block.
TEST_F(EntryPointCatalogueTest, LoadOutOfMemoryShowsOneBoxAndLeavesNoDriverBlock) {
  for (long failing = 0; failing < 60; ++failing) {
    SCOPED_TRACE(failing);
    corva_reset();
    user32_reset();
    corva_fail_allocation(failing, 1);
    set_init_string(PLANT);
    HostRecord record;
    DCSLoad(record.get());
    bool failed = failing != 0 && corva_allocations() >= failing;
    EXPECT_EQ(boxes(), failed ? std::vector<Box>{OUT_OF_MEMORY} : std::vector<Box>{});
    EXPECT_TRUE(tables(driver_state.Catalogue) == 0 || tables(driver_state.Catalogue) == 6);
    DCSDestroy(record.get());
    EXPECT_EQ(tables(driver_state.Catalogue), 0);
    EXPECT_EQ(driver_blocks(), 0);
  }
}

TEST_F(EntryPointCatalogueTest, LoadWarnsOnAnEmptyString) {
  set_init_string(SIX_HEADERS);
  HostRecord record;
  DCSLoad(record.get());
  std::vector<Box> ours;
  for (const Box& box : boxes()) {
    if (box.caption == LOAD_WARNING.caption) ours.push_back(box);
  }
  EXPECT_EQ(ours, std::vector<Box>{LOAD_WARNING});
  EXPECT_FALSE(catalogue_exists(driver_state.Catalogue));
  DCSDestroy(record.get());
}

}  // namespace
