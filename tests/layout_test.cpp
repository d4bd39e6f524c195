// The record's bytes as the host lays them out. Offsets are checked wherever
// pointers are 4 bytes wide; the slot rules hold everywhere.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "record/dcs_data.h"

namespace {

template <typename T>
T read_at(const unsigned char* base, std::size_t offset) {
  T value;
  std::memcpy(&value, base + offset, sizeof value);
  return value;
}

#define SKIP_WITHOUT_HOST_POINTERS() \
  if (!HOST_POINTER_WIDTH) GTEST_SKIP() << "the host's offsets hold for 4-byte pointers"

TEST(Layout, ControllersFollowEachOtherEvery46Bytes) {
  SKIP_WITHOUT_HOST_POINTERS();
  std::vector<unsigned char> bytes(2 * 46 + 1, 0);
  auto* ctrl = reinterpret_cast<DCSCtrl*>(bytes.data() + 1);  // odd, as a host may place it
  DCSValue slots[4] = {};
  ctrl[1].Fields = slots;
  ctrl[1].OutValue = 0.55;
  ctrl[1].Active = -1;
  ctrl[1].OutValid = 1;
  const unsigned char* base = bytes.data() + 1;
  EXPECT_EQ(read_at<DCSValue*>(base, 86), slots);
  EXPECT_EQ(read_at<double>(base, 46 + 32), 0.55);
  EXPECT_EQ(read_at<std::int16_t>(base, 46 + 4), -1);
  EXPECT_EQ(base[46 + 45], 1);
}

TEST(Layout, PointsFollowEachOtherEvery20Bytes) {
  SKIP_WITHOUT_HOST_POINTERS();
  std::vector<unsigned char> bytes(3 * 20, 0);
  auto* points = reinterpret_cast<DCSPoint*>(bytes.data());
  points[2].Value = -2.5;
  points[2].Ident = -32768;
  EXPECT_EQ(read_at<double>(bytes.data(), 40 + 8), -2.5);
  EXPECT_EQ(read_at<std::int16_t>(bytes.data(), 40 + 2), -32768);
}

TEST(Layout, RecordMembersLieAtTheHostsOffsets) {
  SKIP_WITHOUT_HOST_POINTERS();
  std::vector<unsigned char> bytes(146, 0);
  auto* data = reinterpret_cast<DCSData*>(bytes.data());
  data->PVCnt = 0x01020304;
  data->CtrlReal1 = 1.0;
  data->PVImportReal = -0.0;
  auto* marker = reinterpret_cast<DCSValue*>(bytes.data() + 7);
  data->PVImportDataDefault = marker;
  EXPECT_EQ(read_at<std::int32_t>(bytes.data(), 90), 0x01020304);
  const unsigned char one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  EXPECT_EQ(std::memcmp(bytes.data() + 52, one, 8), 0);
  EXPECT_EQ(bytes[134 + 7], 0x80);
  EXPECT_EQ(read_at<DCSValue*>(bytes.data(), 142), marker);
}

TEST(Slot, FreshZeroSlotReadsAsZeroRealAndNoText) {
  DCSValue slot = {};
  EXPECT_EQ(slot_int(slot), 0);
  EXPECT_EQ(slot_real(slot), 0.0);
  EXPECT_EQ(slot_text(slot), nullptr);
}

TEST(Slot, IntegerWriteKeepsBytesFourToSeven) {
  DCSValue slot;
  set_slot_real(slot, 1.0);
  set_slot_int(slot, -1);
  EXPECT_EQ(slot_int(slot), -1);
  EXPECT_EQ(slot.Bytes[6], 0xF0);
  EXPECT_EQ(slot.Bytes[7], 0x3F);
}

}  // namespace
