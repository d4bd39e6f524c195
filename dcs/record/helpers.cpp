#include "record/helpers.h"

#include <cstdlib>

#include "record/record_blocks.h"

namespace {

using L = FieldList;

// Definition members; a definition that does not exist reads as 0 or null.
std::int32_t def_type(DCSData* data, L list, std::int32_t k) {
  const DCSDataDef* def = list_def(data, list, k);
  return def != nullptr ? def->Type : 0;
}
// A default or value slot whose field turns from text to another type, or
// back, starts empty: its text is released, and an integer or real is never
// taken for a pointer to text.
std::int32_t set_def_type(DCSData* data, L list, std::int32_t k, std::int32_t code) {
  DCSDataDef* def = list_def(data, list, k);
  if (def == nullptr) return 1;
  bool was_text = def->Type == FIELD_TEXT;
  DCSValue* slot = list_value(data, list, k);
  if (slot != nullptr && was_text != (code == FIELD_TEXT)) {
    char* text = was_text ? slot_text(*slot) : nullptr;
    if (text != nullptr) std::free(text);
    *slot = DCSValue{};
  }
  def->Type = code;
  return 0;
}
char* def_name(DCSData* data, L list, std::int32_t k) {
  const DCSDataDef* def = list_def(data, list, k);
  return def != nullptr ? def->Name : nullptr;
}
const char* def_moniker(DCSData* data, L list, std::int32_t k) {
  const DCSDataDef* def = list_def(data, list, k);
  return def != nullptr ? def->Moniker : nullptr;
}
std::int32_t set_def_aux(DCSData* data, L list, std::int32_t k, std::int32_t value) {
  DCSDataDef* def = list_def(data, list, k);
  if (def == nullptr) return 1;
  def->Aux = value;
  return 0;
}

// Slots of the default and value arrays.
std::int32_t set_value_int(DCSData* data, L list, std::int32_t k, std::int32_t value) {
  DCSValue* slot = list_value(data, list, k);
  if (slot == nullptr) return 1;
  set_slot_int(*slot, value);
  return 0;
}
std::int32_t set_value_real(DCSData* data, L list, std::int32_t k, double value) {
  DCSValue* slot = list_value(data, list, k);
  if (slot == nullptr) return 1;
  set_slot_real(*slot, value);
  return 0;
}

// Item records; null outside the list.
DCSCtrl* ctrl_at(const DCSData* data, std::int32_t i) {
  DCSCtrl* ctrl = data->Ctrl;
  if (ctrl == nullptr || i < 0 || i >= data->CtrlCnt) return nullptr;
  return &ctrl[i];
}

DCSPoint* point_at(const DCSData* data, L list, std::int32_t i) {
  DCSPoint* points = list == L::PV ? data->PV : data->PVImport;
  std::int32_t count = list == L::PV ? data->PVCnt : data->PVImportCnt;
  if (points == nullptr || i < 0 || i >= count) return nullptr;
  return &points[i];
}

std::int32_t items(const DCSData* data, L list) {
  switch (list) {
    case L::Ctrl:
      return data->CtrlCnt;
    case L::PV:
      return data->PVCnt;
    case L::PVImport:
      return data->PVImportCnt;
    case L::Gen:
      break;
  }
  return 0;
}

// Slot k of item record i, or null when the record, its Fields or the
// definition does not exist.
DCSValue* item_slot(const DCSData* data, L list, std::int32_t i, std::int32_t k) {
  DCSValue* fields = nullptr;
  if (list == L::Ctrl) {
    const DCSCtrl* ctrl = ctrl_at(data, i);
    if (ctrl != nullptr) fields = ctrl->Fields;
  } else {
    const DCSPoint* point = point_at(data, list, i);
    if (point != nullptr) fields = point->Fields;
  }
  if (fields == nullptr || list_def(data, list, k) == nullptr) return nullptr;
  return &fields[k];
}

std::int32_t slot_int_of(const DCSValue* slot) { return slot != nullptr ? slot_int(*slot) : 0; }
double slot_real_of(const DCSValue* slot) { return slot != nullptr ? slot_real(*slot) : 0.0; }
char* slot_text_of(const DCSValue* slot) { return slot != nullptr ? slot_text(*slot) : nullptr; }

// A text slot passes when it holds at least one character.
bool holds_text(const DCSValue* slot) {
  const char* text = slot_text_of(slot);
  return text != nullptr && text[0] != '\0';
}

std::int32_t text_fields_ok(DCSData* data, L list) {
  std::int32_t count = list_def_count(data, list);
  for (std::int32_t i = 0; i < items(data, list); ++i) {
    for (std::int32_t k = 0; k < count; ++k) {
      if (is_text_field(data, list, k) && !holds_text(item_slot(data, list, i, k))) return 0;
    }
  }
  return 1;
}

}  // namespace

std::int32_t gen_def_count(DCSData* data) { return data->GenDefCnt; }
std::int32_t ctrl_def_count(DCSData* data) { return data->CtrlDefCnt; }
std::int32_t pv_def_count(DCSData* data) { return data->PVDefCnt; }
std::int32_t pvimport_def_count(DCSData* data) { return data->PVImportDefCnt; }
std::int32_t ctrl_count(DCSData* data) { return data->CtrlCnt; }
std::int32_t pv_count(DCSData* data) { return data->PVCnt; }
std::int32_t pvimport_count(DCSData* data) { return data->PVImportCnt; }

std::int32_t gen_def_type(DCSData* data, std::int32_t k) { return def_type(data, L::Gen, k); }
std::int32_t set_gen_def_type(DCSData* data, std::int32_t k, std::int32_t code) {
  return set_def_type(data, L::Gen, k, code);
}
char* gen_def_name(DCSData* data, std::int32_t k) { return def_name(data, L::Gen, k); }
std::int32_t set_gen_def_name(DCSData* data, std::int32_t k, const char* text) {
  return write_def_name(data, L::Gen, k, text);
}
const char* gen_def_moniker(DCSData* data, std::int32_t k) { return def_moniker(data, L::Gen, k); }
std::int32_t set_gen_def_aux(DCSData* data, std::int32_t k, std::int32_t value) {
  return set_def_aux(data, L::Gen, k, value);
}

std::int32_t ctrl_def_type(DCSData* data, std::int32_t k) { return def_type(data, L::Ctrl, k); }
std::int32_t set_ctrl_def_type(DCSData* data, std::int32_t k, std::int32_t code) {
  return set_def_type(data, L::Ctrl, k, code);
}
char* ctrl_def_name(DCSData* data, std::int32_t k) { return def_name(data, L::Ctrl, k); }
std::int32_t set_ctrl_def_name(DCSData* data, std::int32_t k, const char* text) {
  return write_def_name(data, L::Ctrl, k, text);
}
const char* ctrl_def_moniker(DCSData* data, std::int32_t k) {
  return def_moniker(data, L::Ctrl, k);
}
std::int32_t set_ctrl_def_aux(DCSData* data, std::int32_t k, std::int32_t value) {
  return set_def_aux(data, L::Ctrl, k, value);
}

std::int32_t pv_def_type(DCSData* data, std::int32_t k) { return def_type(data, L::PV, k); }
std::int32_t set_pv_def_type(DCSData* data, std::int32_t k, std::int32_t code) {
  return set_def_type(data, L::PV, k, code);
}
char* pv_def_name(DCSData* data, std::int32_t k) { return def_name(data, L::PV, k); }
std::int32_t set_pv_def_name(DCSData* data, std::int32_t k, const char* text) {
  return write_def_name(data, L::PV, k, text);
}
const char* pv_def_moniker(DCSData* data, std::int32_t k) { return def_moniker(data, L::PV, k); }
std::int32_t set_pv_def_aux(DCSData* data, std::int32_t k, std::int32_t value) {
  return set_def_aux(data, L::PV, k, value);
}

std::int32_t pvimport_def_type(DCSData* data, std::int32_t k) {
  return def_type(data, L::PVImport, k);
}
std::int32_t set_pvimport_def_type(DCSData* data, std::int32_t k, std::int32_t code) {
  return set_def_type(data, L::PVImport, k, code);
}
char* pvimport_def_name(DCSData* data, std::int32_t k) { return def_name(data, L::PVImport, k); }
std::int32_t set_pvimport_def_name(DCSData* data, std::int32_t k, const char* text) {
  return write_def_name(data, L::PVImport, k, text);
}
const char* pvimport_def_moniker(DCSData* data, std::int32_t k) {
  return def_moniker(data, L::PVImport, k);
}
std::int32_t set_pvimport_def_aux(DCSData* data, std::int32_t k, std::int32_t value) {
  return set_def_aux(data, L::PVImport, k, value);
}

std::int32_t gen_data_int(DCSData* data, std::int32_t k) {
  return slot_int_of(list_value(data, L::Gen, k));
}
double gen_data_real(DCSData* data, std::int32_t k) {
  return slot_real_of(list_value(data, L::Gen, k));
}
char* gen_data_text(DCSData* data, std::int32_t k) {
  return slot_text_of(list_value(data, L::Gen, k));
}
std::int32_t set_gen_data_int(DCSData* data, std::int32_t k, std::int32_t value) {
  return set_value_int(data, L::Gen, k, value);
}
std::int32_t set_gen_data_real(DCSData* data, std::int32_t k, double value) {
  return set_value_real(data, L::Gen, k, value);
}
std::int32_t set_gen_data_text(DCSData* data, std::int32_t k, const char* text) {
  return write_value_text(data, L::Gen, k, text);
}
std::int32_t set_ctrl_default_int(DCSData* data, std::int32_t k, std::int32_t value) {
  return set_value_int(data, L::Ctrl, k, value);
}
std::int32_t set_ctrl_default_real(DCSData* data, std::int32_t k, double value) {
  return set_value_real(data, L::Ctrl, k, value);
}
std::int32_t set_ctrl_default_text(DCSData* data, std::int32_t k, const char* text) {
  return write_value_text(data, L::Ctrl, k, text);
}
std::int32_t set_pv_default_int(DCSData* data, std::int32_t k, std::int32_t value) {
  return set_value_int(data, L::PV, k, value);
}
std::int32_t set_pv_default_real(DCSData* data, std::int32_t k, double value) {
  return set_value_real(data, L::PV, k, value);
}
std::int32_t set_pv_default_text(DCSData* data, std::int32_t k, const char* text) {
  return write_value_text(data, L::PV, k, text);
}
std::int32_t set_pvimport_default_int(DCSData* data, std::int32_t k, std::int32_t value) {
  return set_value_int(data, L::PVImport, k, value);
}
std::int32_t set_pvimport_default_real(DCSData* data, std::int32_t k, double value) {
  return set_value_real(data, L::PVImport, k, value);
}
std::int32_t set_pvimport_default_text(DCSData* data, std::int32_t k, const char* text) {
  return write_value_text(data, L::PVImport, k, text);
}

std::int32_t ctrl_slot_int(DCSData* data, std::int32_t i, std::int32_t k) {
  return slot_int_of(item_slot(data, L::Ctrl, i, k));
}
double ctrl_slot_real(DCSData* data, std::int32_t i, std::int32_t k) {
  return slot_real_of(item_slot(data, L::Ctrl, i, k));
}
char* ctrl_slot_text(DCSData* data, std::int32_t i, std::int32_t k) {
  return slot_text_of(item_slot(data, L::Ctrl, i, k));
}
std::int32_t pv_slot_int(DCSData* data, std::int32_t i, std::int32_t k) {
  return slot_int_of(item_slot(data, L::PV, i, k));
}
double pv_slot_real(DCSData* data, std::int32_t i, std::int32_t k) {
  return slot_real_of(item_slot(data, L::PV, i, k));
}
char* pv_slot_text(DCSData* data, std::int32_t i, std::int32_t k) {
  return slot_text_of(item_slot(data, L::PV, i, k));
}
std::int32_t pvimport_slot_int(DCSData* data, std::int32_t i, std::int32_t k) {
  return slot_int_of(item_slot(data, L::PVImport, i, k));
}
double pvimport_slot_real(DCSData* data, std::int32_t i, std::int32_t k) {
  return slot_real_of(item_slot(data, L::PVImport, i, k));
}
char* pvimport_slot_text(DCSData* data, std::int32_t i, std::int32_t k) {
  return slot_text_of(item_slot(data, L::PVImport, i, k));
}

std::int32_t ctrl_active(DCSData* data, std::int32_t i) {
  const DCSCtrl* ctrl = ctrl_at(data, i);
  return ctrl != nullptr ? ctrl->Active : 0;
}
std::int32_t pv_active(DCSData* data, std::int32_t i) {
  const DCSPoint* point = point_at(data, L::PV, i);
  return point != nullptr ? point->Active : 0;
}
std::int32_t pvimport_active(DCSData* data, std::int32_t i) {
  const DCSPoint* point = point_at(data, L::PVImport, i);
  return point != nullptr ? point->Active : 0;
}
std::int32_t pv_ident(DCSData* data, std::int32_t i) {
  const DCSPoint* point = point_at(data, L::PV, i);
  return point != nullptr ? point->Ident : 0;
}
double pv_value(DCSData* data, std::int32_t i) {
  const DCSPoint* point = point_at(data, L::PV, i);
  return point != nullptr ? point->Value : 0.0;
}
double pvimport_value(DCSData* data, std::int32_t i) {
  const DCSPoint* point = point_at(data, L::PVImport, i);
  return point != nullptr ? point->Value : 0.0;
}
std::int32_t set_pvimport_value(DCSData* data, std::int32_t i, double value) {
  DCSPoint* point = point_at(data, L::PVImport, i);
  if (point == nullptr) return 1;
  point->Value = value;
  return 0;
}

double ctrl_value_a(DCSData* data, std::int32_t i) {
  const DCSCtrl* ctrl = ctrl_at(data, i);
  return ctrl != nullptr ? ctrl->ValueA : 0.0;
}
double ctrl_value_b(DCSData* data, std::int32_t i) {
  const DCSCtrl* ctrl = ctrl_at(data, i);
  return ctrl != nullptr ? ctrl->ValueB : 0.0;
}
double ctrl_value_c(DCSData* data, std::int32_t i) {
  const DCSCtrl* ctrl = ctrl_at(data, i);
  return ctrl != nullptr ? ctrl->ValueC : 0.0;
}
double ctrl_out_value(DCSData* data, std::int32_t i) {
  const DCSCtrl* ctrl = ctrl_at(data, i);
  return ctrl != nullptr ? ctrl->OutValue : 0.0;
}
std::int32_t set_ctrl_value_a(DCSData* data, std::int32_t i, double value) {
  DCSCtrl* ctrl = ctrl_at(data, i);
  if (ctrl == nullptr) return 1;
  ctrl->ValueA = value;
  return 0;
}
std::int32_t set_ctrl_value_b(DCSData* data, std::int32_t i, double value) {
  DCSCtrl* ctrl = ctrl_at(data, i);
  if (ctrl == nullptr) return 1;
  ctrl->ValueB = value;
  return 0;
}
std::int32_t set_ctrl_value_c(DCSData* data, std::int32_t i, double value) {
  DCSCtrl* ctrl = ctrl_at(data, i);
  if (ctrl == nullptr) return 1;
  ctrl->ValueC = value;
  ctrl->ValueCSet = 1;
  return 0;
}
std::int32_t set_ctrl_out_value(DCSData* data, std::int32_t i, double value) {
  DCSCtrl* ctrl = ctrl_at(data, i);
  if (ctrl == nullptr) return 1;
  ctrl->OutValue = value;
  ctrl->OutValid = 1;
  return 0;
}

std::int32_t alloc_gen_defs(DCSData* data, std::int32_t count) {
  return alloc_defs(data, L::Gen, count);
}
std::int32_t alloc_ctrl_defs(DCSData* data, std::int32_t count) {
  return alloc_defs(data, L::Ctrl, count);
}
std::int32_t alloc_pv_defs(DCSData* data, std::int32_t count) {
  return alloc_defs(data, L::PV, count);
}
std::int32_t alloc_pvimport_defs(DCSData* data, std::int32_t count) {
  return alloc_defs(data, L::PVImport, count);
}

std::int32_t alloc_gen_data(DCSData* data, std::int32_t count) {
  return alloc_values(data, L::Gen, count);
}
std::int32_t alloc_ctrl_defaults(DCSData* data, std::int32_t count) {
  return alloc_values(data, L::Ctrl, count);
}
std::int32_t alloc_pv_defaults(DCSData* data, std::int32_t count) {
  return alloc_values(data, L::PV, count);
}
std::int32_t alloc_pvimport_defaults(DCSData* data, std::int32_t count) {
  return alloc_values(data, L::PVImport, count);
}

std::int32_t ctrl_text_fields_ok(DCSData* data) { return text_fields_ok(data, L::Ctrl); }
std::int32_t pv_text_fields_ok(DCSData* data) { return text_fields_ok(data, L::PV); }
std::int32_t pvimport_text_fields_ok(DCSData* data) { return text_fields_ok(data, L::PVImport); }

std::int32_t gen_text_values_ok(DCSData* data) {
  for (std::int32_t k = 0; k < data->GenDefCnt; ++k) {
    if (is_text_field(data, L::Gen, k) && !holds_text(list_value(data, L::Gen, k))) return 0;
  }
  return 1;
}

std::int32_t ctrl_text_column_ok(DCSData* data, std::int32_t k) {
  if (data->CtrlCnt <= 0 || !is_text_field(data, L::Ctrl, k)) return 1;
  for (std::int32_t i = 0; i < data->CtrlCnt; ++i) {
    if (!holds_text(item_slot(data, L::Ctrl, i, k))) return 0;
  }
  return 1;
}
