// DCSConfigure: its checks in order, and binding each item to the first
// catalogue entry with its name (ASCII case aside) and data set, in a table
// that its kind of item exchanges with.
#include <cstring>

#include "catalogue/binding.h"
#include "driver_catalogue.h"
#include "link_fixture.h"

namespace {

const std::string kTags =
    "*AI*\nTWIN.A,x,1,0,100\nAI.ONLY,x,1,0,100\n"
    "*AO*\nTWIN.A,x,1,0,100\nAO.ONLY,x,1,0,100\n"
    "*DI*\nTWIN.D,x,1\nDI.ONLY,x,1\n"
    "*DO*\nTWIN.D,x,1\nDO.ONLY,x,1\n"
    "*DCD*\nSTATE,x,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n"
    "*CALC*\nCALC,x,1\n";

const Box kNoTagsBox = {
    "Cannot Enable DCS Link\n\nStart the Dravik Non Control Tags Application.\n"
    "Close (Save) existing ORVENT case.\nReload stored case or recreate new case.\n Enable the "
    "link",
    "DCSConfigError"};
const Box kNoCatalogueBox = {
    "Cannot Enable DCS Link until the ORVENT case is reloaded or recreated", "DCSConfigError"};

class BindingTest : public LinkTest {
 protected:
  // Boxes and keys of DCSConfigure only.
  std::int32_t configure() {
    user32_reset();
    corva_reset();
    return DCSConfigure(record.get());
  }
};

TEST_F(BindingTest, EmptyControllerTagIsRefusedBeforeAnythingElse) {
  load(kTags);
  record.add_controller("AO.ONLY", 1, /*active=*/0);
  record.add_controller("", 1, /*active=*/0);
  record.add_point(nullptr, 1);
  dravlink_set_init_length(0);
  int asked = dravlink_init_length_calls();
  EXPECT_EQ(configure(), 0);
  EXPECT_EQ(error_keys(), std::vector<std::string>{"DCSCtrlTagFieldError"});
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(dravlink_init_length_calls(), asked);
  EXPECT_EQ(code_of_ctrl(0), 0);  // a refused call writes no slot
}

TEST_F(BindingTest, ProcessVariableTextIsCheckedSecond) {
  load(kTags);
  record.add_controller("AO.ONLY", 1);
  record.add_point("", 1);
  dravlink_set_init_length(0);
  EXPECT_EQ(configure(), 0);
  EXPECT_EQ(error_keys(), std::vector<std::string>{"DCSPVTagFieldError"});
  EXPECT_TRUE(boxes().empty());
}

TEST_F(BindingTest, EmulatorWithoutTagsIsRefusedEvenWithACatalogue) {
  load(kTags);
  record.add_controller("AO.ONLY", 1);
  dravlink_set_init_length(33);
  EXPECT_EQ(configure(), 0);
  EXPECT_EQ(boxes(), std::vector<Box>{kNoTagsBox});
  EXPECT_EQ(code_of_ctrl(0), 0);
}

TEST_F(BindingTest, MissingCatalogueAsksForTheCaseToBeReloaded) {
  load(kTags);
  record.add_controller("AO.ONLY", 1);
  DCSDestroy(record.get());
  load("");  // fields declared again while the emulator offers no tags
  ASSERT_TRUE(table_holds(Table::AO, -1));
  EXPECT_EQ(configure(), 0);
  EXPECT_EQ(boxes(), std::vector<Box>{kNoTagsBox});
  set_init_string(kTags);  // tags offered again, but no catalogue was loaded
  EXPECT_EQ(configure(), 0);
  EXPECT_EQ(boxes(), (std::vector<Box>{kNoCatalogueBox}));
  EXPECT_EQ(code_of_ctrl(0), 0);
}

TEST_F(BindingTest, EachKindOfItemBindsOnlyInTablesItExchangesWith) {
  load(kTags);
  record.add_controller("TWIN.A", 1);
  record.add_controller("TWIN.D", 1);
  record.add_controller("AI.ONLY", 1);
  record.add_controller("DI.ONLY", 1);
  record.add_controller("STATE", 1);
  record.add_controller("CALC", 1);
  record.add_point("TWIN.A", 1);
  record.add_point("TWIN.D", 1);
  record.add_point("AO.ONLY", 1);
  record.add_point("DO.ONLY", 1);
  record.add_point("STATE", 1);
  record.add_point("CALC", 1);
  ASSERT_EQ(configure(), 1);
  // Controllers: AO, DO, DCD, CALC; an AI or DI tag stays unbound.
  EXPECT_EQ(code_of_ctrl(0), 1);
  EXPECT_EQ(index_of_ctrl(0), 0);
  EXPECT_EQ(code_of_ctrl(1), 2);
  EXPECT_EQ(index_of_ctrl(1), 0);
  for (int i : {2, 3}) {
    EXPECT_EQ(code_of_ctrl(i), 0) << i;
    EXPECT_EQ(index_of_ctrl(i), -1) << i;
  }
  EXPECT_EQ(code_of_ctrl(4), 3);
  EXPECT_EQ(code_of_ctrl(5), 4);
  // Process variables: AI, DI, DCD, CALC; an AO or DO tag stays unbound.
  EXPECT_EQ(code_of_pv(0), 1);
  EXPECT_EQ(index_of_pv(0), 0);
  EXPECT_EQ(code_of_pv(1), 2);
  for (int i : {2, 3}) {
    EXPECT_EQ(code_of_pv(i), 0) << i;
    EXPECT_EQ(index_of_pv(i), -1) << i;
  }
  EXPECT_EQ(code_of_pv(4), 3);
  EXPECT_EQ(code_of_pv(5), 4);
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(error_keys().empty());
}

TEST_F(BindingTest, NamesMatchWithoutRegardToAsciiCaseOnly) {
  // The third name ends its line, so it keeps the carriage return.
  load(
      "*AO*\nFic101.Out,x,1,0,1\nTRAIL ,x,1,0,1\nCRLF\r\nx\r\n1\r\n0\r\n1\r\n"
      "T\xC9MP,x,1,0,1\n*DO*\nLAST,x,1\n");
  ASSERT_TRUE(table_holds(Table::AO, 4));
  record.add_controller("fIC101.oUT", 1);  // 0
  record.add_controller("TRAIL", 1);       // blanks count
  record.add_controller("CRLF", 1);        // the carriage return counts
  record.add_controller("t\xE9mp", 1);     // bytes above 127 compare exactly
  record.add_controller("T\xC9MP", 1);
  record.add_controller("trail ", 1);
  ASSERT_EQ(configure(), 1);
  EXPECT_EQ(code_of_ctrl(0), 1);
  EXPECT_EQ(code_of_ctrl(1), 0);
  EXPECT_EQ(code_of_ctrl(2), 0);
  EXPECT_EQ(code_of_ctrl(3), 0);
  EXPECT_EQ(index_of_ctrl(4), 3);
  EXPECT_EQ(index_of_ctrl(5), 1);
}

TEST_F(BindingTest, FirstEntryWithTheNameAndDataSetWins) {
  load("*AO*\nX,a,2,0,1\nX,b,1,0,1\nX,c,1,0,1\n*DO*\nX,d,1\n");
  record.add_controller("X", 1);
  record.add_controller("X", 2);
  record.add_controller("X", 3);
  ASSERT_EQ(configure(), 1);
  EXPECT_EQ(index_of_ctrl(0), 1);  // the entry with data set 2 is passed over
  EXPECT_EQ(index_of_ctrl(1), 0);
  EXPECT_EQ(code_of_ctrl(2), 0);
}

TEST_F(BindingTest, SecondLoadKeepsTheFirstCopysIndex) {
  HostRecord first_case;
  set_init_string(kTags);
  DCSLoad(first_case.get());
  load(kTags);  // a second case: the catalogue is appended to
  ASSERT_TRUE(table_holds(Table::AO, 4));
  record.add_controller("AO.ONLY", 1);
  ASSERT_EQ(configure(), 1);
  EXPECT_EQ(index_of_ctrl(0), 1);
  DCSDestroy(first_case.get());
}

TEST_F(BindingTest, AnItemThatNoLongerMatchesKeepsItsBinding) {
  load(kTags);
  record.add_controller("AO.ONLY", 1);
  ASSERT_EQ(configure(), 1);
  record.set_ctrl_tag(0, "RENAMED");
  ASSERT_EQ(configure(), 1);
  EXPECT_EQ(code_of_ctrl(0), 1);
  EXPECT_EQ(index_of_ctrl(0), 1);
}

TEST_F(BindingTest, OnlyTheIntegerPartOfTheBindingSlotsIsWritten) {
  load(kTags);
  record.add_controller("CALC", 1, /*active=*/0);  // inactive items bind too
  DCSValue& code = record.ctrl_slot(0, SLOT_TYPE);
  DCSValue& index = record.ctrl_slot(0, SLOT_STRUCT_IDX);
  std::memset(code.Bytes + 4, 0x77, 4);
  std::memset(index.Bytes + 4, 0x66, 4);
  ASSERT_EQ(configure(), 1);
  EXPECT_EQ(slot_int(code), 4);
  EXPECT_EQ(slot_int(index), 0);
  EXPECT_EQ(code.Bytes[7], 0x77);
  EXPECT_EQ(index.Bytes[7], 0x66);
}

TEST_F(BindingTest, EmptyTablesAndEmptyRecordsBindNothingAndSucceed) {
  load("*AI*\n*AO*\n*DI*\n*DO*\n*DCD*\n*CALC*\n ");
  ASSERT_TRUE(table_holds(Table::AO, 0));
  EXPECT_EQ(configure(), 1);
  record.add_controller("AO.ONLY", 1);
  EXPECT_EQ(configure(), 1);
  EXPECT_EQ(code_of_ctrl(0), 0);
  EXPECT_EQ(index_of_ctrl(0), -1);
}

// In a list with the driver's fields, an item without slots is passed over
// and the items after it bind. (DCSConfigure's check of the TAG fields
// refuses such a record before the binding; the binding stands on its own.)
TEST_F(BindingTest, AnItemWithoutSlotsIsPassedOver) {
  load(kTags);
  for (int i = 0; i < 2; ++i) {
    record.add_controller("AO.ONLY", 1);
    record.add_point("AI.ONLY", 1);
  }
  DCSValue* slots[] = {record.ctrl(0).Fields, record.pv(0).Fields};
  record.ctrl(0).Fields = record.pv(0).Fields = nullptr;
  bool bound = bind_to_module_catalogue(record.get());
  record.ctrl(0).Fields = slots[0];
  record.pv(0).Fields = slots[1];
  if (!bound) GTEST_SKIP() << "the binding alone is the module's own";
  EXPECT_EQ(code_of_ctrl(0) + code_of_pv(0), 0);
  EXPECT_EQ(code_of_ctrl(1), 1);
  EXPECT_EQ(index_of_ctrl(1), 1);
  EXPECT_EQ(code_of_pv(1), 1);
  EXPECT_EQ(index_of_pv(1), 1);
}

TEST_F(BindingTest, ImportsAndItemsWithoutTheDriversFieldsAreNotBound) {
  load(kTags);
  record.add_import("AI.ONLY", 1);
  DCSValue* import_fields = record.import(0).Fields;
  std::int32_t driver_fields = record.data().PVDefCnt;
  record.data().PVDefCnt = 0;  // a list whose records carry no driver slots
  record.add_point("AI.ONLY", 1);
  record.add_controller("AO.ONLY", 1);
  ASSERT_EQ(configure(), 1);
  EXPECT_EQ(slot_int(import_fields[SLOT_TYPE]), 0);
  EXPECT_EQ(code_of_pv(0), 0);
  EXPECT_EQ(code_of_ctrl(0), 1);
  // Neither list carries the driver's slots: nothing is bound, and what the
  // slots hold (here a stale binding) stays as it is.
  set_slot_int(record.ctrl_slot(0, SLOT_TYPE), 3);
  set_slot_int(record.ctrl_slot(0, SLOT_STRUCT_IDX), 7);
  std::int32_t controller_fields = record.data().CtrlDefCnt;
  record.data().CtrlDefCnt = 0;
  ASSERT_EQ(configure(), 1);
  record.data().CtrlDefCnt = controller_fields;
  EXPECT_EQ(code_of_ctrl(0), 3);
  EXPECT_EQ(index_of_ctrl(0), 7);
  record.data().PVDefCnt = driver_fields;
}

TEST_F(BindingTest, WithoutMemoryForTheIndexBindsTheSameSilently) {
  load(kTags + "*AO*\nao.only,x,2,0,1\nAO.ONLY,x,1,0,1\n*CALC*\nSTATE,x,1\n");
  for (const char* tag : {"AO.ONLY", "ao.only", "TWIN.A", "twin.d", "STATE", "CALC", "NONE"}) {
    for (std::int32_t ds : {1, 2}) {
      record.add_controller(tag, ds);
      record.add_point(tag, ds);
    }
  }
  long blocks = corva_live_blocks();
  ASSERT_EQ(configure(), 1);
  EXPECT_EQ(corva_allocations(), 1);  // the index, released again
  EXPECT_EQ(corva_live_blocks(), blocks);
  std::vector<std::int32_t> indexed;
  for (int i = 0; i < record.data().CtrlCnt; ++i) {
    indexed.insert(indexed.end(),
                   {code_of_ctrl(i), index_of_ctrl(i), code_of_pv(i), index_of_pv(i)});
    for (int k : {2, 3}) {
      set_slot_int(record.ctrl_slot(i, k), k == 2 ? 0 : -1);  // unbound again
      set_slot_int(record.pv_slot(i, k), k == 2 ? 0 : -1);
    }
  }
  corva_fail_allocation(1, 0);  // the index's block
  ASSERT_EQ(DCSConfigure(record.get()), 1);
  corva_fail_allocation(0, 0);
  std::vector<std::int32_t> linear;
  for (int i = 0; i < record.data().CtrlCnt; ++i) {
    linear.insert(linear.end(), {code_of_ctrl(i), index_of_ctrl(i), code_of_pv(i), index_of_pv(i)});
  }
  EXPECT_EQ(linear, indexed);
  int bound = 0;
  for (std::size_t i = 0; i < indexed.size(); i += 2) bound += indexed[i] != 0;
  EXPECT_GE(bound, 8);
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(error_keys().empty());
}

}  // namespace
