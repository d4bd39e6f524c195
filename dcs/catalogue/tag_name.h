// How the driver compares a host's tag text with a catalogue name.
#pragma once

// The letters A to Z as a to z; every other byte as it is.
constexpr unsigned char fold_letter(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Equal when the texts match byte for byte, with the letters A to Z taken as
// a to z, whatever the process's locale.
bool same_tag_name(const char* tag, const char* name);
