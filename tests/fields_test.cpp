// The driver's field declaration and the teardown of the driver's side of
// the record.
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "driver/entry_points.h"
#include "host/host_library.h"
#include "host_record.h"
#include "record/fields.h"
#include "record/helpers.h"
#include "record_bytes.h"
#include "standin_fixture.h"

namespace {

struct Expected {
  std::int32_t type;
  const char* name;
  const char* moniker;
};

class FieldsTest : public StandinTest {
 protected:
  std::vector<Box> load_boxes() {
    std::vector<Box> found;
    for (const Box& box : boxes()) {
      if (box.caption == "DCS Load Dravik") found.push_back(box);
    }
    return found;
  }
  HostRecord record;
};

TEST_F(FieldsTest, DeclaresTheDriversFourFieldsOnEachList) {
  long labels = corva_live_malloc_blocks();
  long arrays = corva_live_new_blocks();
  declare_fields(record.get());
  DCSData& data = record.data();
  const Expected ctrl[] = {{FIELD_TEXT, "TAG", ":ExtraData.340.[]"},
                           {FIELD_INT, "DS", ":ExtraData.341.[]"},
                           {FIELD_INT, "CtrlType", ":ExtraData.342.[]"},
                           {FIELD_INT, "StructIdx", ":ExtraData.343.[]"}};
  const Expected pv[] = {{FIELD_TEXT, "TAG", ":ExtraData.375.[]"},
                         {FIELD_INT, "DS", ":ExtraData.376.[]"},
                         {FIELD_INT, "PVType", ":ExtraData.377.[]"},
                         {FIELD_INT, "StructIdx", ":ExtraData.378.[]"}};
  ASSERT_EQ(value(data.CtrlDefCnt), DRIVER_FIELDS);
  ASSERT_EQ(value(data.PVDefCnt), DRIVER_FIELDS);
  const DCSDataDef* ctrl_defs = data.CtrlDef;
  const DCSDataDef* pv_defs = data.PVDef;
  for (int k = 0; k < 4; ++k) {
    for (auto [defs, want] : {std::pair{ctrl_defs, ctrl}, std::pair{pv_defs, pv}}) {
      const DCSDataDef& def = defs[k];
      EXPECT_EQ(value(def.Type), want[k].type) << k;
      EXPECT_STREQ(def.Name, want[k].name) << k;
      EXPECT_STREQ(def.Moniker, want[k].moniker) << k;
      EXPECT_EQ(value(def.Aux), 0);
      EXPECT_EQ(value(def.AuxPtr1), nullptr);
      EXPECT_EQ(value(def.AuxPtr2), nullptr);
    }
  }
  EXPECT_EQ(corva_live_malloc_blocks() - labels, 8);  // monikers are constant, not copies
  EXPECT_EQ(corva_live_new_blocks() - arrays, 4);

  // The monikers are the helper library's constant series, not copies.
  HostRecord other;
  ASSERT_EQ(alloc_ctrl_defs(other.get(), DRIVER_FIELDS), 1);
  ASSERT_EQ(alloc_pv_defs(other.get(), DRIVER_FIELDS), 1);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(value(data.CtrlDef[k].Moniker), value(other.data().CtrlDef[k].Moniker));
    EXPECT_EQ(value(data.PVDef[k].Moniker), value(other.data().PVDef[k].Moniker));
  }
  free_dcs_data(other.get());
  free_dcs_data(record.get());
  EXPECT_EQ(driver_blocks(), 0);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(FieldsTest, DefaultsAndListValuesAfterTheDeclaration) {
  DCSData& data = record.data();
  data.CtrlWord = 77;
  data.CtrlReal1 = data.CtrlReal2 = data.CtrlReal3 = data.CtrlReal4 = -3.5;
  data.PVReal = -0.0;
  data.GenDefCnt = 5;
  declare_fields(record.get());

  for (DCSValue* slots : {data.CtrlDataDefault, data.PVDataDefault}) {
    ASSERT_NE(slots, nullptr);
    EXPECT_EQ(slot_text(slots[SLOT_TAG]), nullptr);
    EXPECT_EQ(slot_int(slots[SLOT_DS]), 1);
    EXPECT_EQ(slot_int(slots[SLOT_TYPE]), 0);
    EXPECT_EQ(slot_int(slots[SLOT_STRUCT_IDX]), -1);
    const unsigned char zero[4] = {};
    for (int k = 0; k < DRIVER_FIELDS; ++k)
      EXPECT_EQ(std::memcmp(slots[k].Bytes + 4, zero, 4), 0) << k;
  }
  double real1 = data.CtrlReal1;
  const unsigned char one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  EXPECT_EQ(std::memcmp(&real1, one, 8), 0);
  EXPECT_EQ(value(data.CtrlReal2), 0.0);
  EXPECT_EQ(value(data.CtrlReal3), 0.0);
  EXPECT_EQ(value(data.CtrlReal4), 0.0);
  EXPECT_EQ(value(data.CtrlWord), 0);
  double pv_real = data.PVReal;
  const unsigned char zero[8] = {};
  EXPECT_EQ(std::memcmp(&pv_real, zero, 8), 0);  // +0.0, not the -0.0 it held
  EXPECT_EQ(value(data.GenDefCnt), 0);
  EXPECT_EQ(value(data.GenData), nullptr);
  free_dcs_data(record.get());
}

// Every byte of the record the declaration does not own keeps what the host
// handed over, and the teardown then changes only counts and arrays.
TEST_F(FieldsTest, DeclarationAndTeardownWriteOnlyTheirMembers) {
  DCSData& data = record.data();
  std::memset(record.get(), 0x3C, sizeof(DCSData));
  data.GenDef = static_cast<DCSDataDef*>(Corva_new(24));  // the host's, released by the teardown
  data.PVImportDefCnt = 3;
  data.PVImportDef = nullptr;
  data.PVImportDataDefault = nullptr;
  std::vector<unsigned char> handed_over = bytes_of(record.get());

  declare_fields(record.get());
  std::vector<unsigned char> declared = bytes_of(record.get());
  EXPECT_EQ(
      changed_outside(handed_over, declared,
                      {MEMBER(GenDefCnt), MEMBER(GenData), MEMBER(CtrlDefCnt), MEMBER(CtrlDef),
                       MEMBER(PVDefCnt), MEMBER(PVDef), MEMBER(CtrlWord), MEMBER(CtrlReal1),
                       MEMBER(CtrlReal2), MEMBER(CtrlReal3), MEMBER(CtrlReal4),
                       MEMBER(CtrlDataDefault), MEMBER(PVReal), MEMBER(PVDataDefault)}),
      std::vector<std::size_t>{});
  EXPECT_EQ(value(data.PVImportDefCnt), 3);

  EXPECT_EQ(free_dcs_data(record.get()), 0);
  EXPECT_EQ(changed_outside(declared, bytes_of(record.get()),
                            {MEMBER(GenDefCnt), MEMBER(GenDef), MEMBER(CtrlDefCnt), MEMBER(CtrlDef),
                             MEMBER(PVDefCnt), MEMBER(PVDef), MEMBER(PVImportDefCnt),
                             MEMBER(PVImportDef), MEMBER(GenData), MEMBER(CtrlDataDefault),
                             MEMBER(PVDataDefault), MEMBER(PVImportDataDefault)}),
            std::vector<std::size_t>{});
  EXPECT_EQ(value(data.PVImportDefCnt), 0);
  EXPECT_EQ(value(data.GenDef), nullptr);
  EXPECT_TRUE(record.tail_untouched());
  EXPECT_EQ(driver_blocks(), 0);
}

TEST_F(FieldsTest, TeardownReleasesExactlyWhatTheDriverOwns) {
  DCSData& data = record.data();
  declare_fields(record.get());
  ASSERT_EQ(set_ctrl_default_text(record.get(), 0, "FIC101.OUT"), 0);
  ASSERT_EQ(set_pv_default_text(record.get(), 0, "TI200"), 0);
  set_ctrl_default_int(record.get(), 1, 0x0BADF00D);  // never a block: freeing it would abort
  data.CtrlDef[2].AuxPtr1 = Corva_new(12);
  data.PVDef[0].AuxPtr2 = Corva_new(4);
  // A host block in another list's array, with the other list's definitions.
  ASSERT_EQ(alloc_pvimport_defs(record.get(), 1), 1);
  set_pvimport_def_type(record.get(), 0, FIELD_TEXT);
  ASSERT_EQ(alloc_pvimport_defaults(record.get(), 1), 1);
  ASSERT_EQ(set_pvimport_default_text(record.get(), 0, "AI1"), 0);
  ASSERT_EQ(set_pvimport_def_name(record.get(), 0, "Source"), 0);
  corva_reset();

  EXPECT_EQ(free_dcs_data(record.get()), 0);
  EXPECT_EQ(corva_calls(CORVA_FREE), 8 + 1 + 3);    // labels, the import's label, three texts
  EXPECT_EQ(corva_calls(CORVA_DELETE), 4 + 2 + 2);  // declared arrays, AuxPtrs, import arrays
  EXPECT_EQ(driver_blocks(), 0);
  for (std::int32_t count : {data.GenDefCnt, data.CtrlDefCnt, data.PVDefCnt, data.PVImportDefCnt}) {
    EXPECT_EQ(count, 0);
  }
  EXPECT_EQ(
      (std::vector<const void*>{data.CtrlDef, data.PVDef, data.PVImportDef, data.CtrlDataDefault,
                                data.PVDataDefault, data.PVImportDataDefault}),
      std::vector<const void*>(6, nullptr));

  // A second teardown finds nothing left to release.
  corva_reset();
  EXPECT_EQ(free_dcs_data(record.get()), 0);
  EXPECT_EQ(corva_calls(CORVA_FREE) + corva_calls(CORVA_DELETE), 0);
}

TEST_F(FieldsTest, TeardownReleasesGeneralTextsAndNoSlotsOfUnknownType) {
  DCSData& data = record.data();
  ASSERT_EQ(alloc_gen_defs(record.get(), 2), 1);
  set_gen_def_type(record.get(), 1, FIELD_TEXT);
  ASSERT_EQ(alloc_gen_data(record.get(), 2), 1);
  set_gen_data_int(record.get(), 0, 12345);
  ASSERT_EQ(set_gen_data_text(record.get(), 1, "Case A"), 0);
  // A default array without definitions: its slots may hold anything.
  ASSERT_EQ(alloc_ctrl_defaults(record.get(), 2), 1);
  data.CtrlDefCnt = 2;
  set_ctrl_default_int(record.get(), 0, -1);
  set_ctrl_default_int(record.get(), 1, 0x10);
  free_dcs_data(record.get());
  EXPECT_EQ(driver_blocks(), 0);
  EXPECT_EQ(value(data.GenData), nullptr);
  EXPECT_EQ(value(data.CtrlDataDefault), nullptr);
}

TEST_F(FieldsTest, LoadAndDestroyDeclareAndReleaseTheFields) {
  DCSLoad(record.get());
  EXPECT_EQ(value(record.data().CtrlDefCnt), DRIVER_FIELDS);
  EXPECT_STREQ(record.data().PVDef[2].Name, "PVType");
  EXPECT_TRUE(load_boxes().empty());
  DCSDestroy(record.get());
  EXPECT_EQ(value(record.data().CtrlDef), nullptr);
  EXPECT_EQ(driver_blocks(), 0);
}

// Without a definition array the list keeps its count over a null array,
// like a failed alloc_*_defs; the defaults are still written and the checks
// see a list without text fields.
TEST_F(FieldsTest, MissingDefinitionArrayIsReportedOnceAndNotWrittenThrough) {
  DCSData& data = record.data();
  corva_fail_allocation(1, 0);  // the controllers' definition array
  EXPECT_FALSE(declare_fields(record.get()));
  EXPECT_EQ(value(data.CtrlDefCnt), 4);
  EXPECT_EQ(value(data.CtrlDef), nullptr);
  ASSERT_NE(value(data.CtrlDataDefault), nullptr);
  EXPECT_EQ(slot_int(data.CtrlDataDefault[SLOT_STRUCT_IDX]), -1);
  EXPECT_STREQ(data.PVDef[0].Name, "TAG");
  record.add_controller(nullptr, 1);
  EXPECT_EQ(ctrl_text_fields_ok(record.get()), 1);
  free_dcs_data(record.get());
  EXPECT_EQ(driver_blocks(), 0);
}

// Fails the n-th allocation of the declaration for every n, then all of them.
TEST_F(FieldsTest, OutOfMemorySweepOfTheDeclaration) {
  bool complete = false;
  long allocations = sweep_allocation_failures(
      [&complete](HostRecord& fresh) { complete = declare_fields(fresh.get()); },
      [this, &complete](HostRecord& fresh, bool failed) {
        EXPECT_EQ(complete, !failed);
        EXPECT_EQ(user32_message_count(), 0);
        DCSData& data = fresh.data();
        for (DCSValue* slots : {data.CtrlDataDefault, data.PVDataDefault}) {
          if (slots != nullptr) {
            EXPECT_EQ(slot_int(slots[SLOT_DS]), 1);
          }
        }
        EXPECT_EQ(value(data.CtrlReal1), 1.0);
        free_dcs_data(fresh.get());
        EXPECT_EQ(driver_blocks(), 0);
      });
  EXPECT_EQ(allocations, 12);  // 2 definition arrays, 8 labels, 2 default arrays
  user32_reset();
  corva_fail_allocation(1, 1);
  EXPECT_FALSE(declare_fields(record.get()));
  free_dcs_data(record.get());
  EXPECT_EQ(driver_blocks(), 0);
}

}  // namespace
