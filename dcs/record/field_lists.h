// The record's four lists (general, controllers, process variables, PV
// imports) described once. The declaration, the teardown and the helper
// library reach a list's definition count, definition array and default (or
// general value) array through these functions, so each step is written once
// for all four lists.
#pragma once

#include <cstddef>
#include <cstdint>

#include "record/dcs_data.h"

enum class FieldList : std::uint8_t { Gen, Ctrl, PV, PVImport };

// Every text the driver stores lives in a block of this size: at most 63
// characters and the terminating NUL.
inline constexpr std::size_t TEXT_BLOCK_BYTES = 64;

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

// A new array of `count` definitions, each with Type 0, no Name, the list's
// k-th moniker, Aux 0 and no AuxPtr1 or AuxPtr2; null when not obtained.
// `count` lies within 0 and the list's limit.
DCSDataDef* new_defs(FieldList list, std::int32_t count);
// A new array of `count` slots with every byte zero; null when not obtained
// or when `count` is negative or too large to allocate.
DCSValue* new_slots(std::int32_t count);

// The text writers: `text` goes into a new 64-byte block that replaces the
// target, and the block the target held is released (the driver owns both a
// definition's Name and the text in a FIELD_TEXT slot). Result 0 when the
// text is stored; 1 when the block was not obtained (the target then holds
// null) or when nothing was written: a null text, a text longer than 63
// characters, a target that does not exist, or a slot of a field that is not
// FIELD_TEXT.
std::int32_t write_def_name(DCSData* data, FieldList list, std::int32_t k, const char* text);
std::int32_t write_value_text(DCSData* data, FieldList list, std::int32_t k, const char* text);
