// The CRC-32 of the plant report's strings (the polynomial of zip and PNG),
// one definition for the driver that writes it and the desk that checks it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace checksum_detail {

struct CrcTable {
  std::uint32_t entries[256];
};

constexpr CrcTable make_crc_table() {
  CrcTable table = {};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table.entries[n] = c;
  }
  return table;
}

inline constexpr CrcTable CRC_TABLE = make_crc_table();

}  // namespace checksum_detail

// The CRC-32 of `length` bytes, continued from `crc` (0 to start).
inline std::uint32_t crc32_update(std::uint32_t crc, const char* bytes, std::size_t length) {
  crc = ~crc;
  for (std::size_t i = 0; i < length; ++i) {
    crc = checksum_detail::CRC_TABLE.entries[(crc ^ static_cast<unsigned char>(bytes[i])) & 0xffu] ^
          (crc >> 8);
  }
  return ~crc;
}
