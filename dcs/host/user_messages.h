// The driver's two ways of telling the user about a problem.
#pragma once

// A modal box with no owner window, fixed text and caption, and an OK button.
void show_message(const char* text, const char* caption);

// A message key that the host turns into the text it shows.
void report_error_key(const char* key);

// DCSLoad ran out of memory. Between begin_load_messages and
// end_load_messages the box is shown at most once, however many parts of the
// load run out; outside a load every call shows it.
void show_load_out_of_memory();
void begin_load_messages();
void end_load_messages();
