// The driver shows a box and goes on: nothing depends on what MessageBoxA
// answers. A user may close a box any way, and where there is no display
// (wine without one) the system's MessageBoxA answers -1 at once.
#include <string>
#include <vector>

#include "driver/entry_points.h"
#include "host_record.h"
#include "record/fields.h"
#include "standin_fixture.h"

namespace {

const std::string kTags = "*AO*\nVALVE,x,1,0,100\n*DI*\nRUN,x,1\n";
const std::string kNoTags = "*AI*\n*AO*\n*DI*\n*DO*\n*DCD*\n*CALC*\n";

// Everything a run shows of the driver, besides the boxes' answers.
struct Outcome {
  std::vector<Box> boxes;
  std::vector<std::string> error_keys;
  std::vector<int> results;  // DCSConfigure's, then bindings, then live blocks
  std::vector<int> answers;  // what each box answered
};

class MessageBoxTest : public StandinTest {
 protected:
  // Every box the driver can show: the load warning, the load's out of
  // memory, and both refusals of DCSConfigure.
  Outcome run(int answer) {
    user32_reset();
    corva_reset();
    user32_set_answer(answer);
    Outcome outcome;
    HostRecord record;
    set_init_string(kNoTags);
    DCSLoad(record.get());  // the load warning
    record.add_controller("VALVE", 1);
    outcome.results.push_back(DCSConfigure(record.get()));  // no tags offered
    DCSDestroy(record.get());
    set_init_string(kTags);
    corva_fail_allocation(1, 1);
    DCSLoad(record.get());  // out of memory
    corva_fail_allocation(0, 0);
    outcome.results.push_back(DCSConfigure(record.get()));  // no catalogue
    DCSDestroy(record.get());
    DCSLoad(record.get());
    outcome.results.push_back(DCSConfigure(record.get()));
    outcome.results.push_back(slot_int(record.ctrl_slot(0, SLOT_TYPE)));
    DCSDestroy(record.get());
    outcome.results.push_back(static_cast<int>(driver_blocks()));
    outcome.boxes = boxes();
    outcome.error_keys = error_keys();
    for (int i = 0; i < user32_message_count(); ++i) {
      outcome.answers.push_back(user32_message(i).answer);
    }
    return outcome;
  }
};

constexpr int kIdOk = 1;

TEST_F(MessageBoxTest, WhatABoxAnswersChangesNothing) {
  const Outcome ok = run(kIdOk);
  ASSERT_EQ(ok.boxes.size(), 4u);  // one out-of-memory box for the whole load
  EXPECT_EQ(ok.results, (std::vector<int>{0, 0, 1, 1, 0}));
  for (int answer : {2 /* IDCANCEL */, 3 /* IDABORT */, 0, -1}) {
    SCOPED_TRACE(answer);
    const Outcome other = run(answer);
    EXPECT_EQ(other.boxes, ok.boxes);
    EXPECT_EQ(other.error_keys, ok.error_keys);
    EXPECT_EQ(other.results, ok.results);
    EXPECT_EQ(other.answers, std::vector<int>(ok.boxes.size(), answer));
  }
}

// The system's own MessageBoxA, where there is one, returns at once without a
// display and the driver goes on as with any other answer.
TEST_F(MessageBoxTest, TheSystemsBoxReturnsAndChangesNothing) {
  const Outcome ok = run(kIdOk);
  const Outcome system = run(USER32_SYSTEM_ANSWER);
  ASSERT_EQ(system.answers.size(), ok.boxes.size());
  if (system.answers[0] == USER32_SYSTEM_ANSWER) {
    GTEST_SKIP() << "no system MessageBoxA here: the driver resolves MessageBoxA to the stand-in";
  }
  EXPECT_EQ(system.boxes, ok.boxes);
  EXPECT_EQ(system.error_keys, ok.error_keys);
  EXPECT_EQ(system.results, ok.results);
  RecordProperty("system_answer", system.answers[0]);
}

}  // namespace
