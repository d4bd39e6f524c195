// The record's four lists (general, controllers, process variables, PV
// imports) described once: where each list's members lie, its limit, its
// monikers and its messages. The declaration, the teardown, the record's
// blocks and the helper library reach a list's definition count, definition
// array and default (or general value) array through these functions, so
// each step is written once for all four lists.
#pragma once

#include <cstdint>

#include "record/dcs_data.h"

enum class FieldList : std::uint8_t { Gen, Ctrl, PV, PVImport };

// Most field definitions per list.
inline constexpr std::int32_t MAXGENFIELDS = 20;
inline constexpr std::int32_t MAXCTRLFIELDS = 20;
inline constexpr std::int32_t MAXPVFIELDS = 25;
inline constexpr std::int32_t MAXPVIMPORTFIELDS = 25;

// What differs between the lists besides their members.
struct ListTraits {
  std::int32_t limit;          // most field definitions the list may have
  const char* range_message;   // a definition count outside 0 to limit
  const char* defs_message;    // the definition array was not obtained
  const char* values_message;  // the default or value array was not obtained
  // The list's companion values, set when its default array is allocated;
  // null for a list without any.
  void (*reset_companions)(DCSData* data);
};

const ListTraits& list_traits(FieldList list);

// Definition k's moniker: constant text from the list's series, null when k
// lies outside the list's limit.
const char* list_moniker(FieldList list, std::int32_t k);

// The list's members in the record, by value (they may be misaligned).
std::int32_t list_def_count(const DCSData* data, FieldList list);
void set_list_def_count(DCSData* data, FieldList list, std::int32_t count);
DCSDataDef* list_defs(const DCSData* data, FieldList list);
void set_list_defs(DCSData* data, FieldList list, DCSDataDef* defs);
DCSValue* list_values(const DCSData* data, FieldList list);
void set_list_values(DCSData* data, FieldList list, DCSValue* values);

// Definition k, or null when the list has no definition array or k lies
// outside its count.
DCSDataDef* list_def(const DCSData* data, FieldList list, std::int32_t k);
// Slot k of the default (or general value) array, which holds one slot per
// definition; null when there is no array or k lies outside the count.
DCSValue* list_value(const DCSData* data, FieldList list, std::int32_t k);
// True when definition k exists and its slots hold text.
bool is_text_field(const DCSData* data, FieldList list, std::int32_t k);
