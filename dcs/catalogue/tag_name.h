// How the driver compares a host's tag text with a catalogue name.
#pragma once

// Equal when the texts match byte for byte, with the letters A to Z taken as
// a to z, whatever the process's locale.
bool same_tag_name(const char* tag, const char* name);
