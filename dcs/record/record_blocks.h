// The blocks the driver places in the record, and only they: definition
// arrays, default and value arrays, and the 64-byte texts of definition
// names and FIELD_TEXT slots. Whoever calls these owns what they make until
// the teardown releases it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "record/dcs_data.h"
#include "record/field_lists.h"

// Every text the driver stores lives in a block of this size: at most 63
// characters and the terminating NUL.
inline constexpr std::size_t TEXT_BLOCK_BYTES = 64;

// A new array of `count` definitions, each with Type 0, no Name, the list's
// k-th moniker, Aux 0 and no AuxPtr1 or AuxPtr2; null when not obtained.
// `count` lies within 0 and the list's limit.
DCSDataDef* new_defs(FieldList list, std::int32_t count);
// A new array of `count` slots with every byte zero; null when not obtained
// or when `count` is negative or too large to allocate.
DCSValue* new_slots(std::int32_t count);

// The helper library's allocators for any list, with its messages. Definitions:
// a count outside 0 to the list's limit leaves the record as it was; the
// count is set even when the array is not obtained. Defaults or values: the
// array replaces the member, and the list's companion values are reset once
// it is obtained. 1 for success, 0 for failure.
std::int32_t alloc_defs(DCSData* data, FieldList list, std::int32_t count);
std::int32_t alloc_values(DCSData* data, FieldList list, std::int32_t count);

// The text writers: `text` goes into a new 64-byte block that replaces the
// target, and the block the target held is released (the driver owns both a
// definition's Name and the text in a FIELD_TEXT slot). Result 0 when the
// text is stored; 1 when the block was not obtained (the target then holds
// null) or when nothing was written: a null text, a text longer than 63
// characters, a target that does not exist, or a slot of a field that is not
// FIELD_TEXT.
std::int32_t write_def_name(DCSData* data, FieldList list, std::int32_t k, const char* text);
std::int32_t write_value_text(DCSData* data, FieldList list, std::int32_t k, const char* text);
