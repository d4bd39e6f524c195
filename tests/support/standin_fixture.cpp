#include "standin_fixture.h"

#include <ostream>

void PrintTo(const Box& box, std::ostream* out) {
  *out << "{\"" << box.text << "\", \"" << box.caption << "\"}";
}

void StandinTest::SetUp() {
  corva_reset();
  user32_reset();
  dravlink_reset();
  baseline_blocks_ = corva_live_blocks();
}

void StandinTest::TearDown() {
  corva_fail_allocation(0, 0);
  torn_down_ = true;
}

StandinTest::~StandinTest() {
  EXPECT_TRUE(torn_down_) << "the fixture's TearDown does not call StandinTest::TearDown, which "
                             "clears the heap's fault injection";
}

std::vector<Box> StandinTest::boxes() {
  std::vector<Box> result;
  for (int i = 0; i < user32_message_count(); ++i) {
    User32Message message = user32_message(i);
    EXPECT_EQ(message.owner, nullptr);
    EXPECT_EQ(message.flags, 0u);  // MB_OK
    result.push_back({message.text, message.caption});
  }
  return result;
}

std::vector<std::string> StandinTest::error_keys() {
  std::vector<std::string> result;
  for (int i = 0; i < corva_error_key_count(); ++i) result.emplace_back(corva_error_key(i));
  return result;
}

void StandinTest::set_init_string(const std::string& text) {
  dravlink_set_init_string(text.data(), static_cast<std::int32_t>(text.size()));
}
