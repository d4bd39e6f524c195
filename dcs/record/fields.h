// The driver's own fields on every controller and process variable, and the
// teardown of everything the driver placed in the record.
#pragma once

#include <cstdint>

#include "record/dcs_data.h"

// The driver's fields on every controller and process variable, slot by
// slot: the tag's name, its data set, the binding code (CtrlType or PVType)
// and the bound entry's index in its table.
inline constexpr int SLOT_TAG = 0;
inline constexpr int SLOT_DS = 1;
inline constexpr int SLOT_TYPE = 2;
inline constexpr int SLOT_STRUCT_IDX = 3;
inline constexpr int DRIVER_FIELDS = 4;

// The first half of DCSLoad: four fields on each controller and each process
// variable, their definitions with constant monikers and their default
// arrays. When a block is not obtained it leaves that pointer null, goes on
// and returns false; the teardown releases what was made.
bool declare_fields(DCSData* data);

// The first half of DCSDestroy: releases every definition array, label,
// host-attached AuxPtr1 and AuxPtr2, default or value array and the text in
// its FIELD_TEXT slots, on all four lists, and sets the definition counts to
// 0. Monikers are constant and never released. Returns 0.
std::int32_t free_dcs_data(DCSData* data);
