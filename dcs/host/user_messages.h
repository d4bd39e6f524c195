// The driver's two ways of telling the user about a problem.
#pragma once

// A modal box with no owner window, fixed text and caption, and an OK button.
void show_message(const char* text, const char* caption);

// A message key that the host turns into the text it shows.
void report_error_key(const char* key);

// DCSLoad ran out of memory. A load shows the box at most once, however many
// of its parts run out: `shown` is that load's own flag.
void show_load_out_of_memory(bool& shown);
