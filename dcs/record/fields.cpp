#include "record/fields.h"

#include <cstdlib>
#include <new>

#include "record/record_blocks.h"

namespace {

using L = FieldList;

struct DeclaredField {
  const char* label;
  std::int32_t type;
  std::int32_t default_value;  // integer fields only; a text field has no default text
};

constexpr std::int32_t DECLARED_COUNT = DRIVER_FIELDS;

// In slot order; a table index of -1 means none.
constexpr DeclaredField CTRL_FIELDS[DECLARED_COUNT] = {{"TAG", FIELD_TEXT, 0},
                                                       {"DS", FIELD_INT, 1},
                                                       {"CtrlType", FIELD_INT, 0},
                                                       {"StructIdx", FIELD_INT, -1}};
constexpr DeclaredField PV_FIELDS[DECLARED_COUNT] = {{"TAG", FIELD_TEXT, 0},
                                                     {"DS", FIELD_INT, 1},
                                                     {"PVType", FIELD_INT, 0},
                                                     {"StructIdx", FIELD_INT, -1}};

// The list's definitions with their labels; false when a block was not
// obtained. Without a definition array the count stays 4 over a null array,
// as after a failed alloc_*_defs, and nothing is written.
bool declare_list(DCSData* data, L list, const DeclaredField* fields) {
  set_list_def_count(data, list, DECLARED_COUNT);
  DCSDataDef* defs = new_defs(list, DECLARED_COUNT);
  set_list_defs(data, list, defs);
  if (defs == nullptr) return false;
  bool complete = true;
  for (std::int32_t k = 0; k < DECLARED_COUNT; ++k) {
    defs[k].Type = fields[k].type;
    if (write_def_name(data, list, k, fields[k].label) != 0) complete = false;
  }
  return complete;
}

bool allocate_defaults(DCSData* data, L list) {
  DCSValue* slots = new_slots(list_def_count(data, list));
  set_list_values(data, list, slots);
  return slots != nullptr;
}

// Integer defaults fill bytes 0 to 3 of zeroed slots; a default array that
// was not obtained gets none.
void write_defaults(DCSData* data, L list, const DeclaredField* fields) {
  for (std::int32_t k = 0; k < DECLARED_COUNT; ++k) {
    DCSValue* slot = list_value(data, list, k);
    if (slot != nullptr && fields[k].type != FIELD_TEXT) {
      set_slot_int(*slot, fields[k].default_value);
    }
  }
}

// One list's part of the teardown. The slot types are read from the
// definitions, so the default array goes first.
void release_list(DCSData* data, L list) {
  std::int32_t count = list_def_count(data, list);
  DCSDataDef* defs = list_defs(data, list);
  DCSValue* values = list_values(data, list);
  if (values != nullptr) {
    // Without definitions no slot is known to hold text.
    for (std::int32_t k = 0; defs != nullptr && k < count; ++k) {
      char* text = defs[k].Type == FIELD_TEXT ? slot_text(values[k]) : nullptr;
      if (text != nullptr) std::free(text);
    }
    ::operator delete(values);
    set_list_values(data, list, nullptr);
  }
  if (defs != nullptr) {
    for (std::int32_t k = 0; k < count; ++k) {
      if (defs[k].Name != nullptr) std::free(defs[k].Name);
      if (defs[k].AuxPtr1 != nullptr) ::operator delete(defs[k].AuxPtr1);
      defs[k].AuxPtr1 = nullptr;
      if (defs[k].AuxPtr2 != nullptr) ::operator delete(defs[k].AuxPtr2);
      defs[k].AuxPtr2 = nullptr;
    }
    ::operator delete(defs);
    set_list_defs(data, list, nullptr);
  }
  set_list_def_count(data, list, 0);
}

}  // namespace

bool declare_fields(DCSData* data) {
  data->GenDefCnt = 0;
  data->GenData = nullptr;
  bool complete = declare_list(data, L::Ctrl, CTRL_FIELDS);
  complete = declare_list(data, L::PV, PV_FIELDS) && complete;
  complete = allocate_defaults(data, L::Ctrl) && complete;
  complete = allocate_defaults(data, L::PV) && complete;

  data->CtrlWord = 0;
  data->CtrlReal1 = 1.0;
  data->CtrlReal2 = 0.0;
  data->CtrlReal3 = 0.0;
  data->CtrlReal4 = 0.0;
  write_defaults(data, L::Ctrl, CTRL_FIELDS);
  data->PVReal = 0.0;
  write_defaults(data, L::PV, PV_FIELDS);
  return complete;
}

std::int32_t free_dcs_data(DCSData* data) {
  release_list(data, L::Ctrl);
  release_list(data, L::PV);
  release_list(data, L::PVImport);
  release_list(data, L::Gen);
  return 0;
}
