#include "emulator/exchange.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "catalogue/tag_catalogue.h"
#include "emulator/dravlink.h"
#include "record/fields.h"

namespace {

// A status the library never gives for success: a call that leaves the
// status unwritten does not count as a good reading.
constexpr std::int32_t STATUS_UNWRITTEN = -1;

constexpr double PERCENT = 0.01;

constexpr std::int32_t FIRST_STATE = 1;   // reads as 0.0
constexpr std::int32_t SECOND_STATE = 2;  // reads as 1.0
constexpr std::int32_t LAST_STATE = 16;   // states 3 to 16 read StateValue[state - 1]

// The entry an item's index names, or null when the index lies outside the
// table (or no table exists): then no call is made for the item.
template <typename Entry>
Entry* entry_at(const TagTable<Entry>& table, std::int32_t index) {
  if (table.Entries == nullptr || index < 0 || index >= table.Count) return nullptr;
  return &table.Entries[index];
}

// step_kind of the codes 0 to MAX_STEP_CODE, by kind of item, worked out at
// compile time: a step looks it up for every item.
constexpr std::int32_t MAX_STEP_CODE = 7;
static_assert([] {
  for (const TagKind& row : TAG_KINDS) {
    if (row.Code < 0 || row.Code > MAX_STEP_CODE) return false;
  }
  return true;
}());

struct StepKinds {
  std::int8_t of_code[2][MAX_STEP_CODE + 1];  // [controller][code]
};

constexpr StepKinds STEP_KINDS = [] {
  StepKinds kinds = {};
  for (int controller = 0; controller < 2; ++controller) {
    for (std::int32_t code = 0; code <= MAX_STEP_CODE; ++code) {
      kinds.of_code[controller][code] = static_cast<std::int8_t>(step_kind(controller != 0, code));
    }
  }
  return kinds;
}();

int step_kind_of(bool controller, std::int32_t code) {
  return code >= 0 && code <= MAX_STEP_CODE ? STEP_KINDS.of_code[controller ? 1 : 0][code]
                                            : NO_KIND;
}

// The binding code that leads an item to the table whose step makes `Call`.
template <StepCall Call>
constexpr std::int32_t CODE_OF = TAG_KINDS[kind_of_call(Call)].Code;

// The entry of the table whose step makes `Call`.
template <StepCall Call>
auto* step_entry(const TagCatalogue& tables, std::int32_t index) {
  return entry_at(table_of<kind_of_call(Call)>(tables), index);
}

// Analog and calculated values arrive in percent of the case's unit.
void finish_scaled_read(DCSCtrl& ctrl, std::int32_t status) {
  if (status != 0) {
    ctrl.OutValid = 0;
    return;
  }
  ctrl.OutValue = ctrl.OutValue * PERCENT;
  ctrl.OutValid = 1;
}

// A DCD state becomes a controller value: 1 and 2 are off and on, 3 to 16
// take the entry's value for that state. Other states change nothing.
void finish_state_read(DCSCtrl& ctrl, const DcdTag& entry, std::int32_t state,
                       std::int32_t status) {
  if (state < FIRST_STATE || state > LAST_STATE) return;
  if (state == FIRST_STATE) {
    ctrl.OutValue = 0.0;
  } else if (state == SECOND_STATE) {
    ctrl.OutValue = 1.0;
  } else {
    ctrl.OutValue = entry.StateValue[state - 1];
  }
  ctrl.OutValid = status == 0 ? 1 : 0;
}

// What a bound item's slots name: its entry's index, its data set, its tag.
struct ItemSlots {
  std::int32_t Index;
  std::int32_t Ds;
  char* Tag;
};

// One read for each table a controller reads from. False when the index
// reaches no entry of the table: then no call is made.
bool read_analog_out(DCSCtrl& ctrl, TagCatalogue& catalogue, const ItemSlots& item,
                     std::int32_t& status) {
  RangedTag* entry = step_entry<CALL_READ_ANALOG_OUT>(catalogue, item.Index);
  if (entry == nullptr) return false;
  EmuReadAnalogOut(item.Ds, item.Tag, &entry->Handle, out_value_address(ctrl), &status);
  finish_scaled_read(ctrl, status);
  return true;
}

bool read_discrete_out(DCSCtrl& ctrl, TagCatalogue& catalogue, const ItemSlots& item,
                       std::int32_t& status) {
  PlainTag* entry = step_entry<CALL_READ_DISCRETE_OUT>(catalogue, item.Index);
  if (entry == nullptr) return false;
  std::int32_t value = 0;
  EmuReadDiscreteOut(item.Ds, item.Tag, &entry->Handle, &value, &status);
  if (status == 0) ctrl.OutValue = value;
  ctrl.OutValid = status == 0 ? 1 : 0;
  return true;
}

bool read_dcd_state(DCSCtrl& ctrl, TagCatalogue& catalogue, const ItemSlots& item,
                    std::int32_t& status) {
  DcdTag* entry = step_entry<CALL_READ_DCD_STATE>(catalogue, item.Index);
  if (entry == nullptr) return false;
  std::int32_t state = 0;
  EmuReadDcdState(item.Ds, item.Tag, &entry->Handle, &state, &status);
  finish_state_read(ctrl, *entry, state, status);
  return true;
}

bool read_calc(DCSCtrl& ctrl, TagCatalogue& catalogue, const ItemSlots& item,
               std::int32_t& status) {
  PlainTag* entry = step_entry<CALL_READ_CALC>(catalogue, item.Index);
  if (entry == nullptr) return false;
  EmuReadCalc(item.Ds, item.Tag, &entry->Handle, out_value_address(ctrl), &status);
  finish_scaled_read(ctrl, status);
  return true;
}

// The read of the table of `kind`, the one dispatch on it. False for a
// table controllers do not read. Built into the step's loop: a call of its
// own costs the step more than the reads' code in the loop.
[[gnu::always_inline]] inline bool read_table(int kind, DCSCtrl& ctrl, TagCatalogue& catalogue,
                                              const ItemSlots& item, std::int32_t& status) {
  switch (kind) {
    case kind_of_call(CALL_READ_ANALOG_OUT):
      return read_analog_out(ctrl, catalogue, item, status);
    case kind_of_call(CALL_READ_DISCRETE_OUT):
      return read_discrete_out(ctrl, catalogue, item, status);
    case kind_of_call(CALL_READ_DCD_STATE):
      return read_dcd_state(ctrl, catalogue, item, status);
    case kind_of_call(CALL_READ_CALC):
      return read_calc(ctrl, catalogue, item, status);
    default:
      return false;
  }
}

// Returns the status of the library's call, or 0 when no call was made.
// A controller of a list with the driver's fields. Without its slots nothing
// says what it reads, so no value it holds is this step's. Built into the
// list's loop, as the reads are.
[[gnu::always_inline]] inline std::int32_t read_controller(DCSCtrl& ctrl, TagCatalogue& catalogue) {
  if (ctrl.Active == 0 || ctrl.Fields == nullptr) {
    ctrl.OutValid = 0;
    return 0;
  }
  const DCSValue* fields = ctrl.Fields;
  int kind = step_kind_of(true, slot_int(fields[SLOT_TYPE]));
  if (kind == NO_KIND) return 0;  // unbound: nothing changes

  ItemSlots item = {slot_int(fields[SLOT_STRUCT_IDX]), slot_int(fields[SLOT_DS]),
                    slot_text(fields[SLOT_TAG])};
  std::int32_t status = STATUS_UNWRITTEN;
  if (item.Tag != nullptr && read_table(kind, ctrl, catalogue, item, status)) {
    return status;
  }
  // Bound, but to nothing the exchange can reach: no call, no good reading.
  ctrl.OutValid = 0;
  return 0;
}

// A discrete input takes Value truncated toward zero, saturated at the 32-bit
// limits; a value that is not a number is not sent.
bool discrete_input(double value, std::int32_t& sent) {
  if (std::isnan(value)) return false;
  if (value >= static_cast<double>(INT32_MAX) + 1.0) {
    sent = INT32_MAX;
  } else if (value <= static_cast<double>(INT32_MIN) - 1.0) {
    sent = INT32_MIN;
  } else {
    sent = static_cast<std::int32_t>(value);
  }
  return true;
}

// A process variable of a list with the driver's fields.
[[gnu::always_inline]] inline void write_point(DCSPoint& point, TagCatalogue& catalogue) {
  if (point.Active == 0 || point.Fields == nullptr) return;
  DCSValue* fields = point.Fields;
  std::int32_t code = slot_int(fields[SLOT_TYPE]);
  std::int32_t index = slot_int(fields[SLOT_STRUCT_IDX]);
  std::int32_t ds = slot_int(fields[SLOT_DS]);
  char* tag = slot_text(fields[SLOT_TAG]);
  if (tag == nullptr) return;
  // Nothing comes back for a process variable: its status is not examined.
  std::int32_t status = STATUS_UNWRITTEN;
  if (code == CODE_OF<CALL_WRITE_ANALOG_IN>) {
    RangedTag* entry = step_entry<CALL_WRITE_ANALOG_IN>(catalogue, index);
    if (entry != nullptr) EmuWriteAnalogIn(ds, tag, &entry->Handle, value_address(point), &status);
  } else if (code == CODE_OF<CALL_WRITE_DISCRETE_IN>) {
    PlainTag* entry = step_entry<CALL_WRITE_DISCRETE_IN>(catalogue, index);
    std::int32_t value = 0;
    if (entry != nullptr && discrete_input(point.Value, value)) {
      EmuWriteDiscreteIn(ds, tag, &entry->Handle, &value, &status);
    }
  }
}

// An item's slots lie in a block of their own in the host's heap, and its
// catalogue entry anywhere in a large table. Asking early for the slots of an
// item some places ahead, and then for the entry of an item half as far
// ahead (whose slots have arrived by then), lets both arrive while the
// library calls in between run, instead of stalling the step at each item.
// A short list stays in the cache from step to step and is not worth the
// asking.
constexpr std::int32_t FIELDS_AHEAD = 32;
constexpr std::int32_t ENTRY_AHEAD = 16;
constexpr std::int32_t LONG_LIST = 2048;

// Each table's block, entry size and count, by kind: where asking ahead
// finds an entry without visiting the tables.
struct TableSpan {
  const char* entries;
  std::int32_t count;
  std::uint32_t entry_size;
};

struct TableSpans {
  TableSpan of_kind[TAG_TABLES];
};

TableSpans spans_of(const TagCatalogue& tables) {
  TableSpans spans = {};
  for_each_kind(tables, [&spans](const auto& table, int kind) {
    spans.of_kind[kind] = {reinterpret_cast<const char*>(table.Entries), table.Count,
                           static_cast<std::uint32_t>(sizeof *table.Entries)};
  });
  return spans;
}

// The entry an item's slots name, for asking ahead only: the exchange itself
// decides again with the same rules.
const void* entry_named(const DCSValue* fields, const TableSpans& spans, bool controller) {
  if (fields == nullptr) return nullptr;
  int kind = step_kind_of(controller, slot_int(fields[SLOT_TYPE]));
  if (kind == NO_KIND) return nullptr;
  const TableSpan& span = spans.of_kind[kind];
  std::int32_t index = slot_int(fields[SLOT_STRUCT_IDX]);
  if (span.entries == nullptr || index < 0 || index >= span.count) return nullptr;
  return span.entries + static_cast<std::size_t>(index) * span.entry_size;
}

// Calls exchange(item, index, tables) for each item of a list in index order,
// asking ahead for later items' slots and entries when the list is long.
template <typename Item, typename Exchange>
void exchange_list(Item* items, std::int32_t count, TagCatalogue& tables, bool controller,
                   Exchange exchange) {
  if (count < LONG_LIST) {
    for (std::int32_t i = 0; i < count; ++i) exchange(items[i], i, tables);
    return;
  }
  TableSpans spans = spans_of(tables);
  for (std::int32_t i = 0; i < count; ++i) {
    if (i + FIELDS_AHEAD < count) __builtin_prefetch(items[i + FIELDS_AHEAD].Fields);
    if (i + ENTRY_AHEAD < count) {
      __builtin_prefetch(entry_named(items[i + ENTRY_AHEAD].Fields, spans, controller));
    }
    exchange(items[i], i, tables);
  }
}

void count_failed_read(FailedReads& reads, std::int32_t status) {
  if (reads.Count < INT32_MAX) ++reads.Count;
  reads.LastStatus = status;
}

template <typename Entry>
void clear_handles(TagTable<Entry>& table) {
  for (std::int32_t i = 0; i < table.Count; ++i) table.Entries[i].Handle = 0;
}

}  // namespace

void exchange_step(DCSData* data, TagCatalogue& catalogue, FailedReads* failures,
                   std::int32_t counted) {
  // The tables and the lists are read once: no library call changes them,
  // and local copies spare reading them again after every call.
  TagCatalogue tables = catalogue;
  // Items of a list without the driver's fields have no slots to read:
  // no controller of it holds this step's value.
  if (data->CtrlDefCnt >= DRIVER_FIELDS) {
    exchange_list(data->Ctrl, data->CtrlCnt, tables, true,
                  [failures, counted](DCSCtrl& ctrl, std::int32_t i, TagCatalogue& t) {
                    std::int32_t status = read_controller(ctrl, t);
                    if (status != 0 && i < counted) count_failed_read(failures[i], status);
                  });
  } else {
    for (std::int32_t i = 0; i < data->CtrlCnt; ++i) data->Ctrl[i].OutValid = 0;
  }
  if (data->PVDefCnt >= DRIVER_FIELDS) {
    exchange_list(data->PV, data->PVCnt, tables, false,
                  [](DCSPoint& point, std::int32_t, TagCatalogue& t) { write_point(point, t); });
  }
}

void reset_link(TagCatalogue& catalogue) {
  EmuReset();
  for_each_table(catalogue, [](auto& table) { clear_handles(table); });
}
