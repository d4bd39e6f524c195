#include "host_record.h"

#include <algorithm>
#include <cstring>

#include "record/fields.h"

namespace {
constexpr std::size_t kOdd = 1;    // every block starts one byte off
constexpr std::size_t kTail = 32;  // bytes beyond the driver's part
constexpr unsigned char kTailFill = 0x5C;
constexpr std::int32_t kDriverFields = 4;
}  // namespace

HostRecord::HostRecord() : record_bytes_(kOdd + sizeof(DCSData) + kTail, 0) {
  std::fill(record_bytes_.begin() + kOdd + sizeof(DCSData), record_bytes_.end(), kTailFill);
  data_ = reinterpret_cast<DCSData*>(record_bytes_.data() + kOdd);
}

bool HostRecord::tail_untouched() const {
  return std::all_of(record_bytes_.begin() + kOdd + sizeof(DCSData), record_bytes_.end(),
                     [](unsigned char b) { return b == kTailFill; });
}

char* HostRecord::text(const char* value) {
  texts_.emplace_back(value);
  return texts_.back().data();
}

void HostRecord::grow(std::vector<unsigned char>& bytes, std::size_t item_size, std::size_t count) {
  bytes.resize(kOdd + item_size * count, 0);
}

DCSValue* HostRecord::new_fields(std::int32_t def_count, const DCSValue* defaults, const char* tag,
                                 std::int32_t ds) {
  std::int32_t slots = std::max(def_count, kDriverFields);
  field_blocks_.emplace_back(kOdd + sizeof(DCSValue) * slots, 0);
  auto* fields = reinterpret_cast<DCSValue*>(field_blocks_.back().data() + kOdd);
  if (defaults != nullptr && def_count > 0) {
    std::memcpy(fields, defaults, sizeof(DCSValue) * def_count);
  } else {
    set_slot_int(fields[SLOT_TYPE], 0);
    set_slot_int(fields[SLOT_STRUCT_IDX], -1);
  }
  set_slot_text(fields[SLOT_TAG], tag != nullptr ? text(tag) : nullptr);
  set_slot_int(fields[SLOT_DS], ds);
  return fields;
}

int HostRecord::add_controller(const char* tag, std::int32_t ds, std::int16_t active) {
  int index = data_->CtrlCnt;
  grow(ctrl_bytes_, sizeof(DCSCtrl), index + 1);
  data_->Ctrl = reinterpret_cast<DCSCtrl*>(ctrl_bytes_.data() + kOdd);
  data_->CtrlCnt = index + 1;
  DCSCtrl& c = ctrl(index);
  c.Active = active;
  c.Fields = new_fields(data_->CtrlDefCnt, data_->CtrlDataDefault, tag, ds);
  return index;
}

int HostRecord::add_point(const char* tag, std::int32_t ds, double value, std::int16_t active) {
  int index = data_->PVCnt;
  grow(pv_bytes_, sizeof(DCSPoint), index + 1);
  data_->PV = reinterpret_cast<DCSPoint*>(pv_bytes_.data() + kOdd);
  data_->PVCnt = index + 1;
  DCSPoint& p = pv(index);
  p.Active = active;
  p.Value = value;
  p.Fields = new_fields(data_->PVDefCnt, data_->PVDataDefault, tag, ds);
  return index;
}

int HostRecord::add_import(const char* tag, std::int32_t ds) {
  int index = data_->PVImportCnt;
  grow(import_bytes_, sizeof(DCSPoint), index + 1);
  data_->PVImport = reinterpret_cast<DCSPoint*>(import_bytes_.data() + kOdd);
  data_->PVImportCnt = index + 1;
  import(index).Fields = new_fields(data_->PVImportDefCnt, data_->PVImportDataDefault, tag, ds);
  return index;
}

DCSCtrl& HostRecord::ctrl(int i) { return data_->Ctrl[i]; }
DCSPoint& HostRecord::pv(int i) { return data_->PV[i]; }
DCSPoint& HostRecord::import(int i) { return data_->PVImport[i]; }

void HostRecord::set_ctrl_tag(int i, const char* tag) {
  set_slot_text(ctrl_slot(i, SLOT_TAG), tag != nullptr ? text(tag) : nullptr);
}

void HostRecord::set_pv_tag(int i, const char* tag) {
  set_slot_text(pv_slot(i, SLOT_TAG), tag != nullptr ? text(tag) : nullptr);
}
