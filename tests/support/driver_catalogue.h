// What a test may see of the driver's tag catalogue. The Linux suites link
// the driver's internals and look at the module's catalogue itself. The
// Windows suite reaches the real dravik32.dll through its exports only: there
// a handle address is checked against the host's heap (it must lie at its
// entry's place in a block of whole entries), and what only the module knows
// passes, leaving the test's outcome to show it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "catalogue/tag_kinds.h"
#include "record/dcs_data.h"

enum class Table {
  AI = KIND_AI,
  AO = KIND_AO,
  DI = KIND_DI,
  DO = KIND_DO,
  DCD = KIND_DCD,
  CALC = KIND_CALC
};

// The table holds `count` entries; -1: the driver holds no catalogue.
::testing::AssertionResult table_holds(Table table, int count);

// `passed` is the address of the handle word of entry `index` of `table`.
::testing::AssertionResult is_entry_handle(const std::int32_t* passed, Table table, int index);

// Every entry's handle word is 0.
::testing::AssertionResult all_handles_clear();

struct FailedReads;
// One step of the module's exchange that counts the failed reads of the
// first `counted` controllers into `reads`; false where only the exports are
// reached (the counts are the module's own), and nothing is done.
bool step_counting_failed_reads(DCSData* data, FailedReads* reads, std::int32_t counted);

// The binding of the module's catalogue alone, without DCSConfigure's
// checks; false where only the exports are reached, and nothing is done.
bool bind_to_module_catalogue(DCSData* data);
