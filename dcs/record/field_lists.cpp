#include "record/field_lists.h"

#include <cstdlib>
#include <cstring>

namespace {

// Moniker series: definition k of a list is carried by ":ExtraData.<base + k>",
// with the suffix ".[]" on the three item lists. Each series is a constant
// table of exactly the list's limit of entries, built at compile time.
constexpr std::size_t MONIKER_BYTES = 20;  // ":ExtraData.3099.[]" and its NUL

template <std::int32_t Count>
struct MonikerSeries {
  char text[Count][MONIKER_BYTES] = {};

  constexpr MonikerSeries(std::int32_t base, bool item_list) {
    for (std::int32_t k = 0; k < Count; ++k) {
      char* out = text[k];
      std::size_t n = append(out, 0, ":ExtraData.");
      char digits[10] = {};
      std::size_t d = 0;
      for (std::int32_t number = base + k; number > 0; number /= 10) {
        digits[d++] = static_cast<char>('0' + number % 10);
      }
      while (d > 0) out[n++] = digits[--d];
      if (item_list) append(out, n, ".[]");
    }
  }

  static constexpr std::size_t append(char* out, std::size_t n, const char* part) {
    while (*part != '\0') out[n++] = *part++;
    return n;
  }
};

constexpr MonikerSeries<MAXGENFIELDS> GEN_MONIKERS(310, false);
constexpr MonikerSeries<MAXCTRLFIELDS> CTRL_MONIKERS(340, true);
constexpr MonikerSeries<MAXPVFIELDS> PV_MONIKERS(375, true);
constexpr MonikerSeries<MAXPVIMPORTFIELDS> PV_IMPORT_MONIKERS(3075, true);

void reset_ctrl_companions(DCSData* data) {
  data->CtrlReal1 = 1.0;
  data->CtrlReal2 = 0.0;
  data->CtrlReal3 = 0.0;
  data->CtrlReal4 = 0.0;
  data->CtrlFlag1 = 0;
  data->CtrlFlag2 = 0;
}
void reset_pv_companions(DCSData* data) { data->PVReal = 0.0; }
void reset_pvimport_companions(DCSData* data) { data->PVImportReal = 0.0; }

// Where a list's members lie in the record, and what else sets it apart.
struct ListShape {
  std::size_t def_count_at;
  std::size_t defs_at;
  std::size_t values_at;
  const char (*monikers)[MONIKER_BYTES];
  ListTraits traits;
};

// In the order of FieldList.
constexpr ListShape SHAPES[] = {
    {offsetof(DCSData, GenDefCnt),
     offsetof(DCSData, GenDef),
     offsetof(DCSData, GenData),
     GEN_MONIKERS.text,
     {MAXGENFIELDS, "0 <= GenDefCnt <= MAXGENFIELDS", "Could not allocate DCSDataDef(Gen)",
      "Memory Allocation Error: GenData", nullptr}},
    {offsetof(DCSData, CtrlDefCnt),
     offsetof(DCSData, CtrlDef),
     offsetof(DCSData, CtrlDataDefault),
     CTRL_MONIKERS.text,
     {MAXCTRLFIELDS, "0 <= CtrlDefCnt <= MAXCTRLFIELDS", "Could not allocate DCSDataDef(Ctrl)",
      "Memory Allocation Error: CtrlDataDefault", reset_ctrl_companions}},
    {offsetof(DCSData, PVDefCnt),
     offsetof(DCSData, PVDef),
     offsetof(DCSData, PVDataDefault),
     PV_MONIKERS.text,
     {MAXPVFIELDS, "0 <= PVDefCnt <= MAXPVFIELDS", "Could not allocate DCSDataDef(PV)",
      "Memory Allocation Error: PVDataDefault", reset_pv_companions}},
    {offsetof(DCSData, PVImportDefCnt),
     offsetof(DCSData, PVImportDef),
     offsetof(DCSData, PVImportDataDefault),
     PV_IMPORT_MONIKERS.text,
     {MAXPVIMPORTFIELDS, "0 <= PVImportDefCnt <= MAXPVIMPORTFIELDS",
      "Could not allocate DCSDataDef(PVImport)", "Memory Allocation Error: PVImportDataDefault",
      reset_pvimport_companions}},
};

const ListShape& shape(FieldList list) { return SHAPES[static_cast<std::size_t>(list)]; }

// A member of the packed record, copied byte by byte. T is often a pointer:
// its own bytes are what is copied.
template <typename T>
T load(const DCSData* data, std::size_t offset) {
  T value;
  // NOLINTNEXTLINE(bugprone-sizeof-expression)
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(data) + offset, sizeof(T));
  return value;
}

template <typename T>
void store(DCSData* data, std::size_t offset, T value) {
  // NOLINTNEXTLINE(bugprone-sizeof-expression)
  std::memcpy(reinterpret_cast<unsigned char*>(data) + offset, &value, sizeof(T));
}

}  // namespace

const ListTraits& list_traits(FieldList list) { return shape(list).traits; }

const char* list_moniker(FieldList list, std::int32_t k) {
  if (k < 0 || k >= list_traits(list).limit) return nullptr;
  return shape(list).monikers[k];
}

std::int32_t list_def_count(const DCSData* data, FieldList list) {
  return load<std::int32_t>(data, shape(list).def_count_at);
}
void set_list_def_count(DCSData* data, FieldList list, std::int32_t count) {
  store(data, shape(list).def_count_at, count);
}
DCSDataDef* list_defs(const DCSData* data, FieldList list) {
  return load<DCSDataDef*>(data, shape(list).defs_at);
}
void set_list_defs(DCSData* data, FieldList list, DCSDataDef* defs) {
  store(data, shape(list).defs_at, defs);
}
DCSValue* list_values(const DCSData* data, FieldList list) {
  return load<DCSValue*>(data, shape(list).values_at);
}
void set_list_values(DCSData* data, FieldList list, DCSValue* values) {
  store(data, shape(list).values_at, values);
}

DCSDataDef* list_def(const DCSData* data, FieldList list, std::int32_t k) {
  DCSDataDef* defs = list_defs(data, list);
  if (defs == nullptr || k < 0 || k >= list_def_count(data, list)) return nullptr;
  return &defs[k];
}

DCSValue* list_value(const DCSData* data, FieldList list, std::int32_t k) {
  DCSValue* values = list_values(data, list);
  if (values == nullptr || k < 0 || k >= list_def_count(data, list)) return nullptr;
  return &values[k];
}

bool is_text_field(const DCSData* data, FieldList list, std::int32_t k) {
  const DCSDataDef* def = list_def(data, list, k);
  return def != nullptr && def->Type == FIELD_TEXT;
}
