// The plant report: when the environment variable DRAVIK32_REPORT names a
// file, the driver appends to it what an integrator needs to see why a tag is
// not bound, in the words the desk tool uses. After DCSLoad: the string's
// size, how far it was read, its warnings and the entries per table. After
// DCSConfigure: every item's binding or why it has none, and the result. At
// DCSReset and DCSStop: each controller's failed reads since the last report.
// Off, it costs one look at the environment per entry point and nothing per
// item; it never shows a box and never changes a result.
#pragma once

#include "catalogue/binding.h"
#include "catalogue/tag_catalogue.h"
#include "emulator/exchange.h"
#include "record/dcs_data.h"

// What watches the load read the initialization string; null while the
// report is off. Each call forgets the check of the load before.
const LoadObserver* report_load_observer();
void report_load(const TagCatalogue& catalogue, const LoadOutcome& outcome);

// Writes the bindings, and starts counting failed reads: the counts live in
// one block from the host's heap, obtained only while the report is on.
void report_configure(const DCSData* data, const TagCatalogue& catalogue, ConfigureResult result);

// The counts a step adds to; null while nothing is counted.
ReadFailures* report_read_failures();

// Writes the failed reads under the entry point's name, then starts the
// counts again.
void report_failed_reads(const char* entry_point);

// DCSDestroy: releases what the report holds.
void release_report();
