// The helper library over the DCSData record.
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "host/host_library.h"
#include "host_record.h"
#include "record/fields.h"
#include "record/helpers.h"
#include "record_bytes.h"
#include "standin_fixture.h"

namespace {

class HelpersTest : public StandinTest {
 protected:
  void TearDown() override {
    StandinTest::TearDown();
    free_dcs_data(record.get());
    EXPECT_EQ(driver_blocks(), 0);
  }
  DCSData* data() { return record.get(); }
  HostRecord record;
};

// One list's functions, so that every wrapper is checked against its own
// list's members.
struct ListApi {
  const char* name;
  std::int32_t (*alloc_defs)(DCSData*, std::int32_t);
  std::int32_t (*def_count)(DCSData*);
  DCSDataDef* (*defs)(DCSData*);
  DCSValue* (*values)(DCSData*);
  std::int32_t (*def_type)(DCSData*, std::int32_t);
  std::int32_t (*set_def_type)(DCSData*, std::int32_t, std::int32_t);
  char* (*def_name)(DCSData*, std::int32_t);
  std::int32_t (*set_def_name)(DCSData*, std::int32_t, const char*);
  const char* (*def_moniker)(DCSData*, std::int32_t);
  std::int32_t (*set_def_aux)(DCSData*, std::int32_t, std::int32_t);
  std::int32_t (*alloc_values)(DCSData*, std::int32_t);
  std::int32_t (*set_int)(DCSData*, std::int32_t, std::int32_t);
  std::int32_t (*set_real)(DCSData*, std::int32_t, double);
  std::int32_t (*set_text)(DCSData*, std::int32_t, const char*);
  std::int32_t limit;
  const char* first_moniker;
  const char* last_moniker;
  std::string range_message;
  std::string defs_message;
  std::string values_message;
};

#define LIST_API(list, Defs, Values)                                                       \
  alloc_##list##_defs, list##_def_count, [](DCSData* d) { return value(d->Defs); },        \
      [](DCSData* d) { return value(d->Values); }, list##_def_type, set_##list##_def_type, \
      list##_def_name, set_##list##_def_name, list##_def_moniker, set_##list##_def_aux

const ListApi kLists[] = {
    {"Gen", LIST_API(gen, GenDef, GenData), alloc_gen_data, set_gen_data_int, set_gen_data_real,
     set_gen_data_text, 20, ":ExtraData.310", ":ExtraData.329", "0 <= GenDefCnt <= MAXGENFIELDS",
     "Could not allocate DCSDataDef(Gen)", "Memory Allocation Error: GenData"},
    {"Ctrl", LIST_API(ctrl, CtrlDef, CtrlDataDefault), alloc_ctrl_defaults, set_ctrl_default_int,
     set_ctrl_default_real, set_ctrl_default_text, 20, ":ExtraData.340.[]", ":ExtraData.359.[]",
     "0 <= CtrlDefCnt <= MAXCTRLFIELDS", "Could not allocate DCSDataDef(Ctrl)",
     "Memory Allocation Error: CtrlDataDefault"},
    {"PV", LIST_API(pv, PVDef, PVDataDefault), alloc_pv_defaults, set_pv_default_int,
     set_pv_default_real, set_pv_default_text, 25, ":ExtraData.375.[]", ":ExtraData.399.[]",
     "0 <= PVDefCnt <= MAXPVFIELDS", "Could not allocate DCSDataDef(PV)",
     "Memory Allocation Error: PVDataDefault"},
    {"PVImport", LIST_API(pvimport, PVImportDef, PVImportDataDefault), alloc_pvimport_defaults,
     set_pvimport_default_int, set_pvimport_default_real, set_pvimport_default_text, 25,
     ":ExtraData.3075.[]", ":ExtraData.3099.[]", "0 <= PVImportDefCnt <= MAXPVIMPORTFIELDS",
     "Could not allocate DCSDataDef(PVImport)", "Memory Allocation Error: PVImportDataDefault"},
};
#undef LIST_API

TEST_F(HelpersTest, DefinitionAllocatorsKeepToTheirLimits) {
  for (const ListApi& list : kLists) {
    SCOPED_TRACE(list.name);
    user32_reset();
    std::vector<unsigned char> before = bytes_of(data());
    EXPECT_EQ(list.alloc_defs(data(), -1), 0);
    EXPECT_EQ(list.alloc_defs(data(), list.limit + 1), 0);
    EXPECT_EQ(changed_outside(before, bytes_of(data())), std::vector<std::size_t>{});
    EXPECT_EQ(boxes(), (std::vector<Box>(2, {list.range_message, "OVDCSAPI"})));

    ASSERT_EQ(list.alloc_defs(data(), list.limit), 1);
    EXPECT_EQ(list.def_count(data()), list.limit);
    EXPECT_STREQ(list.def_moniker(data(), 0), list.first_moniker);
    EXPECT_STREQ(list.def_moniker(data(), list.limit - 1), list.last_moniker);
    for (std::int32_t k = 0; k < list.limit; ++k) {
      const DCSDataDef& def = list.defs(data())[k];
      EXPECT_EQ(value(def.Type), 0);
      EXPECT_EQ(value(def.Name), nullptr);
      EXPECT_EQ(value(def.Aux), 0);
      EXPECT_EQ(value(def.AuxPtr1), nullptr);
      EXPECT_EQ(value(def.AuxPtr2), nullptr);
    }
    EXPECT_EQ(boxes().size(), 2u);
  }
  // One moniker per definition along each series.
  EXPECT_STREQ(gen_def_moniker(data(), 2), ":ExtraData.312");
  EXPECT_STREQ(ctrl_def_moniker(data(), 9), ":ExtraData.349.[]");
  EXPECT_STREQ(pvimport_def_moniker(data(), 10), ":ExtraData.3085.[]");
}

TEST_F(HelpersTest, DefinitionArrayNotObtainedLeavesTheCountOverNoArray) {
  for (const ListApi& list : kLists) {
    SCOPED_TRACE(list.name);
    user32_reset();
    corva_fail_allocation(1, 0);
    EXPECT_EQ(list.alloc_defs(data(), 3), 0);
    EXPECT_EQ(boxes(), (std::vector<Box>{{list.defs_message, "OVDCSAPI"}}));
    EXPECT_EQ(list.def_count(data()), 3);
    EXPECT_EQ(list.defs(data()), nullptr);
    EXPECT_EQ(list.def_moniker(data(), 0), nullptr);
  }
  // The checks read such a list as one without text fields.
  record.add_controller(nullptr, 1);
  record.add_point(nullptr, 1);
  EXPECT_EQ(ctrl_text_fields_ok(data()), 1);
  EXPECT_EQ(pv_text_fields_ok(data()), 1);
  EXPECT_EQ(ctrl_text_column_ok(data(), 0), 1);
  EXPECT_EQ(gen_text_values_ok(data()), 1);
}

// Each list's writers reach that list's definitions and slots: an integer
// fills bytes 0 to 3 and keeps 4 to 7, a real fills all 8, a text goes into
// a slot of a text field.
TEST_F(HelpersTest, WritersReachTheirOwnListsMembers) {
  for (int l = 0; l < 4; ++l) {
    const ListApi& list = kLists[l];
    SCOPED_TRACE(list.name);
    ASSERT_EQ(list.alloc_defs(data(), 3), 1);
    ASSERT_EQ(list.alloc_values(data(), 3), 1);
    EXPECT_EQ(list.set_def_type(data(), 2, FIELD_TEXT), 0);
    EXPECT_EQ(list.set_def_aux(data(), 1, -9 - l), 0);
    EXPECT_EQ(list.set_def_name(data(), 1, list.name), 0);
    EXPECT_EQ(list.def_type(data(), 2), FIELD_TEXT);
    EXPECT_EQ(list.def_type(data(), 1), FIELD_INT);
    EXPECT_EQ(value(list.defs(data())[1].Aux), -9 - l);
    EXPECT_STREQ(list.def_name(data(), 1), list.name);

    const DCSValue* slots = list.values(data());
    EXPECT_EQ(list.set_real(data(), 0, 1.0), 0);
    EXPECT_EQ(list.set_int(data(), 0, -1 - l), 0);
    EXPECT_EQ(slot_int(slots[0]), -1 - l);
    EXPECT_EQ(slots[0].Bytes[6], 0xF0);
    EXPECT_EQ(slots[0].Bytes[7], 0x3F);
    EXPECT_EQ(list.set_real(data(), 1, -2.25 * (l + 1)), 0);
    EXPECT_EQ(slot_real(slots[1]), -2.25 * (l + 1));
    EXPECT_EQ(list.set_text(data(), 2, list.name), 0);
    EXPECT_STREQ(slot_text(slots[2]), list.name);
  }
  // Only the general values have readers.
  EXPECT_EQ(gen_data_int(data(), 0), -1);
  EXPECT_EQ(gen_data_real(data(), 1), -2.25);
  EXPECT_STREQ(gen_data_text(data(), 2), "Gen");
}

// A count of 0 is a list without fields: its arrays are obtained, empty, and
// the list's values are reset as for any other count.
TEST_F(HelpersTest, EmptyArraysAreAccepted) {
  DCSData& d = record.data();
  d.GenDefCnt = d.CtrlDefCnt = d.PVDefCnt = d.PVImportDefCnt = 9;
  d.CtrlReal1 = 5.0;
  d.PVReal = d.PVImportReal = 2.0;
  for (const ListApi& list : kLists) {
    SCOPED_TRACE(list.name);
    EXPECT_EQ(list.alloc_defs(data(), 0), 1);
    EXPECT_EQ(list.def_count(data()), 0);
    EXPECT_NE(list.defs(data()), nullptr);
    EXPECT_EQ(list.alloc_values(data(), 0), 1);
    EXPECT_NE(list.values(data()), nullptr);
  }
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(value(d.CtrlReal1), 1.0);
  EXPECT_EQ(value(d.PVReal) + value(d.PVImportReal), 0.0);
}

TEST_F(HelpersTest, DefaultAllocatorsZeroTheirSlotsAndResetTheirListValues) {
  DCSData& d = record.data();
  std::memset(data(), 0x77, sizeof(DCSData));
  d.GenData = d.CtrlDataDefault = d.PVDataDefault = d.PVImportDataDefault = nullptr;
  d.GenDef = d.CtrlDef = d.PVDef = d.PVImportDef = nullptr;
  std::vector<unsigned char> before = bytes_of(data());

  ASSERT_EQ(alloc_gen_data(data(), 2), 1);
  EXPECT_EQ(changed_outside(before, bytes_of(data()), {MEMBER(GenData)}),
            std::vector<std::size_t>{});
  ASSERT_EQ(alloc_ctrl_defaults(data(), 4), 1);
  const DCSValue* slots = d.CtrlDataDefault;
  const unsigned char zero[32] = {};
  EXPECT_EQ(std::memcmp(slots, zero, 32), 0);
  EXPECT_EQ(value(d.CtrlReal1), 1.0);
  EXPECT_EQ(value(d.CtrlReal2) + value(d.CtrlReal3) + value(d.CtrlReal4), 0.0);
  EXPECT_EQ(value(d.CtrlFlag1) | value(d.CtrlFlag2), 0);
  ASSERT_EQ(alloc_pv_defaults(data(), 1), 1);
  ASSERT_EQ(alloc_pvimport_defaults(data(), 1), 1);
  EXPECT_EQ(
      changed_outside(before, bytes_of(data()),
                      {MEMBER(GenData), MEMBER(CtrlDataDefault), MEMBER(CtrlReal1),
                       MEMBER(CtrlReal2), MEMBER(CtrlReal3), MEMBER(CtrlReal4), MEMBER(CtrlFlag1),
                       MEMBER(CtrlFlag2), MEMBER(PVReal), MEMBER(PVDataDefault),
                       MEMBER(PVImportReal), MEMBER(PVImportDataDefault)}),
      std::vector<std::size_t>{});  // CtrlWord among the untouched
  double reals[2] = {d.PVReal, d.PVImportReal};
  EXPECT_EQ(std::memcmp(reals, zero, sizeof reals), 0);
  d.CtrlDefCnt = d.PVDefCnt = d.PVImportDefCnt = d.GenDefCnt = 0;  // no definitions to free
}

TEST_F(HelpersTest, DefaultArrayNotObtainedKeepsTheListValues) {
  DCSData& d = record.data();
  d.CtrlReal1 = 5.0;
  d.CtrlFlag2 = 1;
  d.PVReal = d.PVImportReal = 2.0;
  std::vector<Box> expected;
  for (const ListApi& list : kLists) {
    corva_fail_allocation(1, 0);
    EXPECT_EQ(list.alloc_values(data(), 4), 0);
    expected.push_back({list.values_message, "OVDCSAPI Error"});
  }
  // No array of a negative size, nor of one beyond the 32-bit size limit
  // (2^29 slots are 4 GiB), however its byte count would wrap.
  for (std::int32_t count : {-1, 1 << 29, (1 << 29) + 1, INT32_MAX}) {
    EXPECT_EQ(alloc_ctrl_defaults(data(), count), 0) << count;
    expected.push_back(expected[1]);
  }
  EXPECT_EQ(boxes(), expected);
  EXPECT_EQ(value(d.CtrlDataDefault), nullptr);
  EXPECT_EQ(value(d.CtrlReal1), 5.0);
  EXPECT_EQ(value(d.CtrlFlag2), 1);
  EXPECT_EQ(value(d.PVReal) + value(d.PVImportReal), 4.0);
}

class TextWriterTest : public HelpersTest {
 protected:
  void SetUp() override {
    HelpersTest::SetUp();
    declare_fields(data());  // controller field 0 is text, field 1 an integer
  }
  char* tag_default() { return slot_text(record.data().CtrlDataDefault[0]); }
};

TEST_F(TextWriterTest, StoresUpTo63CharactersInA64ByteBlock) {
  const std::string longest(63, 'x');
  ASSERT_EQ(set_ctrl_default_text(data(), 0, longest.c_str()), 0);
  EXPECT_EQ(tag_default(), longest);
  EXPECT_EQ(Corva__msize(tag_default()), 64u);
  ASSERT_EQ(set_ctrl_def_name(data(), 2, "Binding code"), 0);
  EXPECT_STREQ(ctrl_def_name(data(), 2), "Binding code");
  EXPECT_EQ(Corva__msize(ctrl_def_name(data(), 2)), 64u);

  // Too long, or no text: refused, and the target keeps its text.
  char* held = tag_default();
  corva_reset();
  EXPECT_EQ(set_ctrl_default_text(data(), 0, std::string(64, 'y').c_str()), 1);
  EXPECT_EQ(set_ctrl_def_name(data(), 2, std::string(200, 'y').c_str()), 1);
  EXPECT_EQ(set_ctrl_default_text(data(), 0, nullptr), 1);
  EXPECT_EQ(tag_default(), held);
  EXPECT_STREQ(ctrl_def_name(data(), 2), "Binding code");
  EXPECT_EQ(corva_allocations(), 0);
}

TEST_F(TextWriterTest, ReplacesTheBlocksTheDriverOwns) {
  long live = corva_live_malloc_blocks();
  ASSERT_EQ(set_ctrl_default_text(data(), 0, "FIC101"), 0);
  ASSERT_EQ(set_ctrl_default_text(data(), 0, "FIC102"), 0);
  ASSERT_EQ(set_ctrl_def_name(data(), 0, "Tag name"), 0);  // replaces the declared "TAG"
  ASSERT_EQ(set_ctrl_def_name(data(), 0, ctrl_def_name(data(), 0)), 0);  // from itself
  EXPECT_STREQ(ctrl_def_name(data(), 0), "Tag name");
  EXPECT_STREQ(tag_default(), "FIC102");
  EXPECT_EQ(corva_live_malloc_blocks() - live, 1);
  EXPECT_EQ(corva_calls(CORVA_FREE), 3);

  // A block not obtained leaves null behind, and the old block is released.
  corva_fail_allocation(1, 0);
  EXPECT_EQ(set_ctrl_default_text(data(), 0, "FIC103"), 1);
  EXPECT_EQ(tag_default(), nullptr);
  EXPECT_EQ(corva_live_malloc_blocks() - live, 0);
  EXPECT_TRUE(boxes().empty());
}

// Only a text field's slot takes text, and a slot that changes between text
// and another type starts empty: the driver never releases an integer and
// never leaves a block that nothing releases.
TEST_F(TextWriterTest, TextGoesOnlyIntoSlotsOfTextFields) {
  DCSValue* slots = record.data().CtrlDataDefault;
  ASSERT_EQ(set_ctrl_default_int(data(), 1, 0x1234567), 0);  // freeing it would abort
  EXPECT_EQ(set_ctrl_default_text(data(), 1, "seven"), 1);
  EXPECT_EQ(slot_int(slots[1]), 0x1234567);
  EXPECT_EQ(corva_allocations(), 12);  // the declaration's only

  EXPECT_EQ(set_ctrl_def_type(data(), 1, FIELD_TEXT), 0);
  EXPECT_EQ(slot_text(slots[1]), nullptr);
  EXPECT_EQ(set_ctrl_default_text(data(), 1, "seven"), 0);
  long live = corva_live_malloc_blocks();
  EXPECT_EQ(set_ctrl_def_type(data(), 1, FIELD_INT), 0);
  EXPECT_EQ(corva_live_malloc_blocks(), live - 1);
  const unsigned char zero[8] = {};
  EXPECT_EQ(std::memcmp(slots[1].Bytes, zero, 8), 0);

  // A change that keeps the field's kind keeps the slot.
  set_ctrl_default_text(data(), 0, "FIC101");
  set_ctrl_def_type(data(), 0, FIELD_TEXT);
  set_ctrl_default_int(data(), 2, 5);
  set_ctrl_def_type(data(), 2, 1);
  EXPECT_STREQ(slot_text(slots[0]), "FIC101");
  EXPECT_EQ(slot_int(slots[2]), 5);
}

TEST_F(HelpersTest, RecordSlotsAndMembers) {
  declare_fields(data());
  ASSERT_EQ(alloc_pvimport_defs(data(), 4), 1);
  set_pvimport_def_type(data(), 0, FIELD_TEXT);
  for (int i = 0; i < 3; ++i) record.add_controller("FIC", 10 + i);
  record.add_point("TI", 5, 12.5);
  record.add_import("AI7", 3);
  set_slot_real(record.ctrl_slot(1, 2), 0.75);
  EXPECT_EQ(ctrl_count(data()) + pv_count(data()) + pvimport_count(data()), 5);
  EXPECT_EQ(ctrl_slot_int(data(), 2, 1), 12);
  EXPECT_EQ(ctrl_slot_int(data(), 2, 3), -1);
  EXPECT_EQ(ctrl_slot_real(data(), 1, 2), 0.75);
  EXPECT_STREQ(ctrl_slot_text(data(), 0, 0), "FIC");
  EXPECT_EQ(pv_slot_int(data(), 0, 1), 5);
  EXPECT_STREQ(pv_slot_text(data(), 0, 0), "TI");
  EXPECT_EQ(pv_slot_real(data(), 0, 2), 0.0);
  EXPECT_STREQ(pvimport_slot_text(data(), 0, 0), "AI7");
  EXPECT_EQ(pvimport_slot_int(data(), 0, 1), 3);
  EXPECT_EQ(pvimport_slot_real(data(), 0, 2), 0.0);

  // 16-bit members keep their sign.
  record.ctrl(1).Active = -1;
  record.pv(0).Active = -1;
  record.import(0).Active = -2;
  record.pv(0).Ident = INT16_MIN;
  EXPECT_EQ(ctrl_active(data(), 1), -1);
  EXPECT_EQ(ctrl_active(data(), 0), 1);
  EXPECT_EQ(pv_active(data(), 0), -1);
  EXPECT_EQ(pvimport_active(data(), 0), -2);
  EXPECT_EQ(pv_ident(data(), 0), -32768);
  EXPECT_EQ(pv_value(data(), 0), 12.5);
  EXPECT_EQ(set_pvimport_value(data(), 0, -4.0), 0);
  EXPECT_EQ(pvimport_value(data(), 0), -4.0);

  // Writing OutValue marks it valid; writing ValueC marks it set. Neither
  // touches the other's flag or another controller.
  EXPECT_EQ(set_ctrl_out_value(data(), 2, 3.5), 0);
  EXPECT_EQ(value(record.ctrl(2).OutValid), 1);
  EXPECT_EQ(value(record.ctrl(2).ValueCSet), 0);
  EXPECT_EQ(set_ctrl_value_c(data(), 1, 6.0), 0);
  EXPECT_EQ(value(record.ctrl(1).ValueCSet), 1);
  EXPECT_EQ(value(record.ctrl(1).OutValid), 0);
  EXPECT_EQ(set_ctrl_value_a(data(), 0, 1.5) + set_ctrl_value_b(data(), 0, 2.5), 0);
  EXPECT_EQ(ctrl_value_a(data(), 0) + ctrl_value_b(data(), 0), 4.0);
  EXPECT_EQ(ctrl_value_c(data(), 1), 6.0);
  EXPECT_EQ(ctrl_out_value(data(), 2), 3.5);
  EXPECT_EQ(value(record.ctrl(0).ValueCSet) | value(record.ctrl(0).OutValid), 0);
}

// Indexes outside a list read as nothing and write nothing.
TEST_F(HelpersTest, IndexesOutsideTheListsAreNeitherReadNorWritten) {
  declare_fields(data());
  record.add_controller("FIC", 1);
  std::vector<unsigned char> before = bytes_of(data());
  EXPECT_EQ(ctrl_def_type(data(), 4), 0);
  EXPECT_EQ(ctrl_def_name(data(), -1), nullptr);
  EXPECT_EQ(gen_def_moniker(data(), 0), nullptr);
  EXPECT_EQ(ctrl_slot_text(data(), 1, 0), nullptr);
  EXPECT_EQ(ctrl_slot_int(data(), 0, 4), 0);
  EXPECT_EQ(pv_value(data(), 0), 0.0);
  EXPECT_EQ(gen_data_text(data(), 0), nullptr);
  EXPECT_EQ(set_ctrl_def_type(data(), 4, 2), 1);
  EXPECT_EQ(set_pv_def_name(data(), 4, "X"), 1);
  EXPECT_EQ(set_ctrl_default_int(data(), -1, 2), 1);
  EXPECT_EQ(set_gen_data_text(data(), 0, "X"), 1);
  EXPECT_EQ(set_ctrl_out_value(data(), 1, 1.0), 1);
  EXPECT_EQ(set_pvimport_value(data(), 0, 1.0), 1);
  // Members and slots of records past the list's end, or of lists without records.
  EXPECT_EQ(ctrl_active(data(), 1), 0);
  EXPECT_EQ(pv_active(data(), 0), 0);
  EXPECT_EQ(pvimport_active(data(), 0), 0);
  EXPECT_EQ(pv_ident(data(), 0), 0);
  EXPECT_EQ(pvimport_value(data(), 0), 0.0);
  EXPECT_EQ(ctrl_value_a(data(), 1), 0.0);
  EXPECT_EQ(ctrl_value_b(data(), 1), 0.0);
  EXPECT_EQ(ctrl_value_c(data(), -1), 0.0);
  EXPECT_EQ(ctrl_out_value(data(), 1), 0.0);
  EXPECT_EQ(ctrl_slot_real(data(), 0, 4), 0.0);
  EXPECT_EQ(set_ctrl_def_aux(data(), 4, 2), 1);
  EXPECT_EQ(set_ctrl_default_real(data(), 4, 2.0), 1);
  EXPECT_EQ(set_ctrl_value_a(data(), 1, 1.0), 1);
  EXPECT_EQ(set_ctrl_value_b(data(), -1, 1.0), 1);
  EXPECT_EQ(set_ctrl_value_c(data(), 1, 1.0), 1);
  EXPECT_EQ(changed_outside(before, bytes_of(data())), std::vector<std::size_t>{});
  EXPECT_EQ(corva_allocations(), 12);  // the declaration's only
}

// Records just below each item list, at its count and past it read as
// nothing and are not written, though the host's arrays hold records there.
TEST_F(HelpersTest, RecordsOutsideEachItemListReadAsNothing) {
  declare_fields(data());
  ASSERT_EQ(alloc_pvimport_defs(data(), 4), 1);
  for (int i = 0; i < 3; ++i) {
    record.add_controller("FIC", 2);
    record.add_point("TI", 2, 1.5);
    record.add_import("AI7", 2);
    record.ctrl(i).ValueA = record.ctrl(i).ValueB = record.ctrl(i).ValueC = 2.5;
    record.ctrl(i).OutValue = 2.5;
    record.pv(i).Ident = 7;
    record.import(i).Value = 1.5;
    record.import(i).Active = 1;
  }
  set_pvimport_def_type(data(), 0, FIELD_TEXT);
  DCSData& d = record.data();
  d.CtrlCnt = d.PVCnt = d.PVImportCnt = 1;  // the host's arrays hold three each
  using Read = double (*)(DCSData*, std::int32_t);
  using Write = std::int32_t (*)(DCSData*, std::int32_t);
  const Read reads[] = {
      [](DCSData* r, std::int32_t i) -> double { return ctrl_active(r, i); },
      ctrl_value_a,
      ctrl_value_b,
      ctrl_value_c,
      ctrl_out_value,
      [](DCSData* r, std::int32_t i) -> double { return ctrl_slot_int(r, i, 1); },
      [](DCSData* r, std::int32_t i) -> double { return ctrl_slot_text(r, i, 0) != nullptr; },
      [](DCSData* r, std::int32_t i) -> double { return pv_active(r, i); },
      [](DCSData* r, std::int32_t i) -> double { return pv_ident(r, i); },
      pv_value,
      [](DCSData* r, std::int32_t i) -> double { return pv_slot_int(r, i, 1); },
      [](DCSData* r, std::int32_t i) -> double { return pv_slot_text(r, i, 0) != nullptr; },
      [](DCSData* r, std::int32_t i) -> double { return pvimport_active(r, i); },
      pvimport_value,
      [](DCSData* r, std::int32_t i) -> double { return pvimport_slot_int(r, i, 1); },
      [](DCSData* r, std::int32_t i) -> double { return pvimport_slot_text(r, i, 0) != nullptr; },
  };
  const Write writes[] = {
      [](DCSData* r, std::int32_t i) { return set_ctrl_value_a(r, i, 9.0); },
      [](DCSData* r, std::int32_t i) { return set_ctrl_value_b(r, i, 9.0); },
      [](DCSData* r, std::int32_t i) { return set_ctrl_value_c(r, i, 9.0); },
      [](DCSData* r, std::int32_t i) { return set_ctrl_out_value(r, i, 9.0); },
      [](DCSData* r, std::int32_t i) { return set_pvimport_value(r, i, 9.0); },
  };
  for (std::size_t f = 0; f < std::size(reads); ++f) {
    EXPECT_NE(reads[f](data(), 0), 0.0) << "reader " << f;
    for (std::int32_t i : {-1, 1, 2}) EXPECT_EQ(reads[f](data(), i), 0.0) << f << " at " << i;
  }
  for (std::size_t f = 0; f < std::size(writes); ++f) {
    for (std::int32_t i : {-1, 1, 2}) EXPECT_EQ(writes[f](data(), i), 1) << f << " at " << i;
  }
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(value(record.ctrl(i).ValueA) + value(record.ctrl(i).OutValue), 5.0) << i;
    EXPECT_EQ(value(record.ctrl(i).ValueCSet) + value(record.ctrl(i).OutValid), 0) << i;
    EXPECT_EQ(value(record.import(i).Value), 1.5) << i;
  }
}

class TextCheckTest : public HelpersTest {
 protected:
  void SetUp() override {
    HelpersTest::SetUp();
    declare_fields(data());
  }
};

TEST_F(TextCheckTest, EveryTextSlotOfEveryRecordMustHoldText) {
  EXPECT_EQ(ctrl_text_fields_ok(data()), 1);  // no controllers
  record.add_controller("FIC101", 1);
  record.add_controller(" ", 1, 0);  // one blank, inactive
  EXPECT_EQ(ctrl_text_fields_ok(data()), 1);
  for (const char* tag : {static_cast<const char*>(nullptr), ""}) {
    record.set_ctrl_tag(1, tag);
    EXPECT_EQ(ctrl_text_fields_ok(data()), 0) << "inactive records count too";
    EXPECT_EQ(ctrl_text_column_ok(data(), 0), 0);
  }
  EXPECT_EQ(ctrl_text_column_ok(data(), 1), 1);  // an integer column
  record.set_ctrl_tag(1, "FIC102");
  EXPECT_EQ(ctrl_text_column_ok(data(), 0), 1);

  record.add_point("TI1", 1);
  record.add_point(nullptr, 1, 0.0, 0);
  EXPECT_EQ(pv_text_fields_ok(data()), 0);
  record.set_pv_tag(1, "TI2");
  EXPECT_EQ(pv_text_fields_ok(data()), 1);

  // A text field further along the list is checked as well.
  ASSERT_EQ(alloc_pvimport_defs(data(), 4), 1);
  set_pvimport_def_type(data(), 3, FIELD_TEXT);
  record.add_import("AI1", 1);
  set_slot_text(record.import(0).Fields[3], nullptr);
  EXPECT_EQ(pvimport_text_fields_ok(data()), 0);
  set_slot_text(record.import(0).Fields[3], record.text("x"));
  EXPECT_EQ(pvimport_text_fields_ok(data()), 1);
}

TEST_F(TextCheckTest, IntegerColumnIsPassedWithoutReadingSlots) {
  record.add_controller("FIC101", 1);
  DCSValue* fields = record.ctrl(0).Fields;
  record.ctrl(0).Fields = nullptr;
  EXPECT_EQ(ctrl_text_column_ok(data(), 1), 1);
  EXPECT_EQ(ctrl_text_column_ok(data(), 0), 0);  // a record without slots holds no text
  EXPECT_EQ(ctrl_text_fields_ok(data()), 0);
  record.ctrl(0).Fields = fields;
}

// The text field first or last of the general fields.
TEST_F(TextCheckTest, GeneralTextValues) {
  EXPECT_EQ(gen_text_values_ok(data()), 1);
  for (std::int32_t text_field : {0, 1}) {
    SCOPED_TRACE(text_field);
    free_dcs_data(data());
    ASSERT_EQ(alloc_gen_defs(data(), 2), 1);
    set_gen_def_type(data(), text_field, FIELD_TEXT);
    EXPECT_EQ(gen_text_values_ok(data()), 0);  // no value array
    ASSERT_EQ(alloc_gen_data(data(), 2), 1);
    EXPECT_EQ(gen_text_values_ok(data()), 0);
    set_gen_data_text(data(), text_field, "");
    EXPECT_EQ(gen_text_values_ok(data()), 0);
    set_gen_data_text(data(), text_field, "Case A");
    EXPECT_EQ(gen_text_values_ok(data()), 1);
  }
}

// Fails the n-th allocation of a run of helper calls for every n: at most
// one box, and the teardown leaves nothing behind.
TEST_F(HelpersTest, OutOfMemorySweepOfTheHelpers) {
  auto run = [](DCSData* d) {
    alloc_ctrl_defs(d, 3);
    set_ctrl_def_type(d, 0, FIELD_TEXT);
    set_ctrl_def_name(d, 0, "TAG");
    set_ctrl_def_name(d, 1, "DS");
    alloc_ctrl_defaults(d, 3);
    set_ctrl_default_text(d, 0, "FIC101");
    set_ctrl_default_text(d, 0, "FIC102");
    set_ctrl_default_int(d, 1, 1);
    alloc_gen_defs(d, 1);
    set_gen_def_type(d, 0, FIELD_TEXT);
    alloc_gen_data(d, 1);
    set_gen_data_text(d, 0, "Case");
  };
  long allocations = sweep_allocation_failures([&run](HostRecord& fresh) { run(fresh.get()); },
                                               [this](HostRecord& fresh, bool) {
                                                 EXPECT_LE(user32_message_count(), 1);
                                                 free_dcs_data(fresh.get());
                                                 EXPECT_EQ(driver_blocks(), 0);
                                               });
  EXPECT_EQ(allocations, 9);
}

}  // namespace
