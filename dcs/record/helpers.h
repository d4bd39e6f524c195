// Helper functions over the DCSData record, for its four lists: general
// (gen), controllers (ctrl), process variables (pv) and PV imports
// (pvimport).
//
// Why the library exists: it is the record's own interface, the complete set
// of readers, writers, allocators and checks that code working on a DCSData
// record is meant to use instead of its packed members. It is internal to the
// module; nothing here is exported to the host. The driver itself needs two
// of its checks, ctrl_text_fields_ok and pv_text_fields_ok, before it binds;
// the rest is kept, and tested, so that the interface stays whole for the
// code that comes to need it.
//
// Naming: <list>_<what> reads, set_<list>_<what> writes, alloc_<list>_<array>
// allocates, and the checks end in _ok. <what> is
//   def_count, count                    the definition count, the item count
//   def_type, def_name, def_moniker,    member of definition k
//     def_aux
//   data_<as>, default_<as>             slot k of GenData, of a default array
//   slot_<as>                           slot k of item record i
//   active, ident, value, value_a,      member of item record i
//     value_b, value_c, out_value
// where <as> is int (bytes 0 to 3 of the slot), real (all 8) or text (the
// stored pointer).
//
// Every function takes the record first, then an index (k for a definition
// or a slot, i for an item record, i and k for slot k of record i), then a
// value. Readers return the member: 16-bit members widened with their sign,
// texts as the stored pointer, not a copy. Writers return 0 when they stored
// the value and 1 when they stored nothing; a text writer also returns 1
// when its 64-byte block was not obtained, and the target then holds null
// (see record/record_blocks.h). Allocators and checks return 1 for success and
// 0 for failure.
//
// Indexes outside a list, and arrays that do not exist, are never read or
// written: readers return 0, 0.0 or null and writers return 1.
#pragma once

#include <cstdint>

#include "record/dcs_data.h"
#include "record/field_lists.h"  // the per-list limits, MAXGENFIELDS and the others

// Counts.
std::int32_t gen_def_count(DCSData* data);
std::int32_t ctrl_def_count(DCSData* data);
std::int32_t pv_def_count(DCSData* data);
std::int32_t pvimport_def_count(DCSData* data);
std::int32_t ctrl_count(DCSData* data);
std::int32_t pv_count(DCSData* data);
std::int32_t pvimport_count(DCSData* data);

// Definitions. Names are copied into 64-byte blocks; monikers are constant.
// A type writer that turns a field from text to another type, or back, also
// empties the field's slot of the default (or general value) array.
std::int32_t gen_def_type(DCSData* data, std::int32_t k);
std::int32_t set_gen_def_type(DCSData* data, std::int32_t k, std::int32_t code);
char* gen_def_name(DCSData* data, std::int32_t k);
std::int32_t set_gen_def_name(DCSData* data, std::int32_t k, const char* text);
const char* gen_def_moniker(DCSData* data, std::int32_t k);
std::int32_t set_gen_def_aux(DCSData* data, std::int32_t k, std::int32_t value);

std::int32_t ctrl_def_type(DCSData* data, std::int32_t k);
std::int32_t set_ctrl_def_type(DCSData* data, std::int32_t k, std::int32_t code);
char* ctrl_def_name(DCSData* data, std::int32_t k);
std::int32_t set_ctrl_def_name(DCSData* data, std::int32_t k, const char* text);
const char* ctrl_def_moniker(DCSData* data, std::int32_t k);
std::int32_t set_ctrl_def_aux(DCSData* data, std::int32_t k, std::int32_t value);

std::int32_t pv_def_type(DCSData* data, std::int32_t k);
std::int32_t set_pv_def_type(DCSData* data, std::int32_t k, std::int32_t code);
char* pv_def_name(DCSData* data, std::int32_t k);
std::int32_t set_pv_def_name(DCSData* data, std::int32_t k, const char* text);
const char* pv_def_moniker(DCSData* data, std::int32_t k);
std::int32_t set_pv_def_aux(DCSData* data, std::int32_t k, std::int32_t value);

std::int32_t pvimport_def_type(DCSData* data, std::int32_t k);
std::int32_t set_pvimport_def_type(DCSData* data, std::int32_t k, std::int32_t code);
char* pvimport_def_name(DCSData* data, std::int32_t k);
std::int32_t set_pvimport_def_name(DCSData* data, std::int32_t k, const char* text);
const char* pvimport_def_moniker(DCSData* data, std::int32_t k);
std::int32_t set_pvimport_def_aux(DCSData* data, std::int32_t k, std::int32_t value);

// General values and default arrays. An integer fills bytes 0 to 3 and
// leaves bytes 4 to 7 as they were. Text goes only into a slot of a
// FIELD_TEXT field, the only kind whose text the driver releases.
std::int32_t gen_data_int(DCSData* data, std::int32_t k);
double gen_data_real(DCSData* data, std::int32_t k);
char* gen_data_text(DCSData* data, std::int32_t k);
std::int32_t set_gen_data_int(DCSData* data, std::int32_t k, std::int32_t value);
std::int32_t set_gen_data_real(DCSData* data, std::int32_t k, double value);
std::int32_t set_gen_data_text(DCSData* data, std::int32_t k, const char* text);
std::int32_t set_ctrl_default_int(DCSData* data, std::int32_t k, std::int32_t value);
std::int32_t set_ctrl_default_real(DCSData* data, std::int32_t k, double value);
std::int32_t set_ctrl_default_text(DCSData* data, std::int32_t k, const char* text);
std::int32_t set_pv_default_int(DCSData* data, std::int32_t k, std::int32_t value);
std::int32_t set_pv_default_real(DCSData* data, std::int32_t k, double value);
std::int32_t set_pv_default_text(DCSData* data, std::int32_t k, const char* text);
std::int32_t set_pvimport_default_int(DCSData* data, std::int32_t k, std::int32_t value);
std::int32_t set_pvimport_default_real(DCSData* data, std::int32_t k, double value);
std::int32_t set_pvimport_default_text(DCSData* data, std::int32_t k, const char* text);

// Value slots of item records.
std::int32_t ctrl_slot_int(DCSData* data, std::int32_t i, std::int32_t k);
double ctrl_slot_real(DCSData* data, std::int32_t i, std::int32_t k);
char* ctrl_slot_text(DCSData* data, std::int32_t i, std::int32_t k);
std::int32_t pv_slot_int(DCSData* data, std::int32_t i, std::int32_t k);
double pv_slot_real(DCSData* data, std::int32_t i, std::int32_t k);
char* pv_slot_text(DCSData* data, std::int32_t i, std::int32_t k);
std::int32_t pvimport_slot_int(DCSData* data, std::int32_t i, std::int32_t k);
double pvimport_slot_real(DCSData* data, std::int32_t i, std::int32_t k);
char* pvimport_slot_text(DCSData* data, std::int32_t i, std::int32_t k);

// Members of item records.
std::int32_t ctrl_active(DCSData* data, std::int32_t i);
std::int32_t pv_active(DCSData* data, std::int32_t i);
std::int32_t pvimport_active(DCSData* data, std::int32_t i);
std::int32_t pv_ident(DCSData* data, std::int32_t i);
double pv_value(DCSData* data, std::int32_t i);
double pvimport_value(DCSData* data, std::int32_t i);
std::int32_t set_pvimport_value(DCSData* data, std::int32_t i, double value);
double ctrl_value_a(DCSData* data, std::int32_t i);
double ctrl_value_b(DCSData* data, std::int32_t i);
double ctrl_value_c(DCSData* data, std::int32_t i);
double ctrl_out_value(DCSData* data, std::int32_t i);
std::int32_t set_ctrl_value_a(DCSData* data, std::int32_t i, double value);
std::int32_t set_ctrl_value_b(DCSData* data, std::int32_t i, double value);
// Also sets ValueCSet to 1.
std::int32_t set_ctrl_value_c(DCSData* data, std::int32_t i, double value);
// Also sets OutValid to 1.
std::int32_t set_ctrl_out_value(DCSData* data, std::int32_t i, double value);

// Definition allocators: `count` from 0 to the list's limit. Each definition
// gets Type 0, no Name, the k-th moniker of its list's series, Aux 0 and no
// AuxPtr1 or AuxPtr2. A count out of range shows a message and leaves the
// record as it was; an array not obtained shows a message and leaves the
// count set with a null array. The arrays they replace are not released.
std::int32_t alloc_gen_defs(DCSData* data, std::int32_t count);
std::int32_t alloc_ctrl_defs(DCSData* data, std::int32_t count);
std::int32_t alloc_pv_defs(DCSData* data, std::int32_t count);
std::int32_t alloc_pvimport_defs(DCSData* data, std::int32_t count);

// Default and value allocators: `count` zero slots, and the list's companion
// values reset. An array not obtained shows a message, leaves the member
// null and the companion values as they were.
std::int32_t alloc_gen_data(DCSData* data, std::int32_t count);
std::int32_t alloc_ctrl_defaults(DCSData* data, std::int32_t count);
std::int32_t alloc_pv_defaults(DCSData* data, std::int32_t count);
std::int32_t alloc_pvimport_defaults(DCSData* data, std::int32_t count);

// Checks that every slot of a FIELD_TEXT field holds at least one character,
// in every item record, active or not. A list without records or without
// text fields (a null definition array included) passes.
std::int32_t ctrl_text_fields_ok(DCSData* data);
std::int32_t pv_text_fields_ok(DCSData* data);
std::int32_t pvimport_text_fields_ok(DCSData* data);
// The same over GenData.
std::int32_t gen_text_values_ok(DCSData* data);
// The same for controller field k alone; passes when k is not a text field.
std::int32_t ctrl_text_column_ok(DCSData* data, std::int32_t k);
