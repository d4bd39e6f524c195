// A host record declared by DCSLoad against a scripted initialization
// string, released by DCSDestroy when the test ends.
#pragma once

#include <string>

#include "driver/entry_points.h"
#include "host_record.h"
#include "record/fields.h"
#include "standin_fixture.h"

class LinkTest : public StandinTest {
 protected:
  void TearDown() override {
    StandinTest::TearDown();
    DCSDestroy(record.get());
  }

  void load(const std::string& init_string) {
    set_init_string(init_string);
    DCSLoad(record.get());
  }

  std::int32_t code_of_ctrl(int i) { return slot_int(record.ctrl_slot(i, SLOT_TYPE)); }
  std::int32_t index_of_ctrl(int i) { return slot_int(record.ctrl_slot(i, SLOT_STRUCT_IDX)); }
  std::int32_t code_of_pv(int i) { return slot_int(record.pv_slot(i, SLOT_TYPE)); }
  std::int32_t index_of_pv(int i) { return slot_int(record.pv_slot(i, SLOT_STRUCT_IDX)); }

  // Packed members read as values: gtest's comparisons bind references,
  // which a misaligned member cannot take.
  double out_value(int i) { return record.ctrl(i).OutValue; }
  int out_valid(int i) { return record.ctrl(i).OutValid; }
  double pv_value(int i) { return record.pv(i).Value; }

  HostRecord record;
};
