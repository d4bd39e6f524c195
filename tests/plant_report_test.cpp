// The plant report seen from the host's side: through the nine exports, with
// DRAVIK32_REPORT naming a file, so these run the same against the Windows
// DLL. The report names each item's binding or why it has none; off, it
// changes nothing the host or the emulator can see; it never harms the run.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/entry_points.h"
#include "release.h"
#include "report_variable.h"
#include "standin_fixture.h"

namespace {

struct Item {
  const char* tag;
  std::int32_t ds;
  std::int16_t active;
};

// A plant: its string, its items, how often it steps before and after a
// reset, and the reads that fail.
struct Plant {
  std::string init;
  std::vector<Item> controllers;
  std::vector<Item> points;
  int steps;
};

const std::string kTags =
    "plant tags\n*AI*\nLEVEL,x,1,0,100\n*AO*\nVALVE,x,1,0,100\n*DI*\nRUN,x,1\n*DO*\nCMD,x,1\n"
    "*CALC*\nERR,x,1\n";

const Plant kPlant = {kTags,
                      {{"VALVE", 1, 1}, {"CMD", 1, 1}, {"VALEV", 1, 1}, {"LEVEL", 1, 0}},
                      {{"level", 1, 1}, {"RUN", 2, 1}, {"ERR", 1, 1}},
                      3};

// What the host and the emulator see of a run.
struct Seen {
  std::vector<std::string> calls;
  std::vector<Box> boxes;
  std::vector<std::string> keys;
  std::vector<std::string> readings;
  std::int32_t configured = -1;
  long allocations[3] = {};  // load, configure, the steps with the reset and the stop
  long blocks_left = 0;
};

class PlantReportTest : public StandinTest {
 protected:
  // A file of each test's own under the temporary directory: the tests may
  // run side by side, in this build and in others.
  void SetUp() override {
    StandinTest::SetUp();
    report_path_ = ::testing::TempDir() + "dravik32-" + std::to_string(this_process_id()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".report.txt";
    std::remove(report_path_.c_str());
  }
  void TearDown() override {
    set_report_variable(nullptr);
    std::remove(report_path_.c_str());
    StandinTest::TearDown();
  }

  const char* report_path() const { return report_path_.c_str(); }
  void turn_report_on() {
    std::remove(report_path());
    set_report_variable(report_path());
  }
  std::string report_text() const {
    std::ifstream in(report_path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool report_exists() const { return std::ifstream(report_path_).good(); }

  // Runs the plant with the report on while every allocation fails in turn,
  // once and then for good; no run leaves a block, and `check` sees each.
  template <typename Check>
  void sweep_reported_runs(const Plant& plant, Check check) {
    for (int sticky : {0, 1}) {
      for (long n = 1;; ++n) {
        SCOPED_TRACE("failing allocation " + std::to_string(n) + (sticky ? " and later" : ""));
        reset_standins();
        turn_report_on();
        corva_fail_allocation(n, sticky);
        Seen seen = run(plant);
        bool failed = corva_allocations() >= n;
        corva_fail_allocation(0, 0);
        EXPECT_EQ(seen.blocks_left, 0);
        check(seen);
        if (!failed) break;
      }
    }
  }

  // Load, configure, steps, a reset, a step and the stop; CMD's reads fail.
  Seen run(const Plant& plant) {
    Seen seen;
    set_init_string(plant.init);
    dravlink_set_output(DRAVLINK_AO, 1, "VALVE", 40.0, 0, 0, 0);
    dravlink_set_output(DRAVLINK_DO, 1, "CMD", 0.0, 1, 5, 0);
    long before = corva_live_blocks();
    {
      HostRecord record;
      long start = corva_allocations();
      DCSLoad(record.get());
      seen.allocations[0] = corva_allocations() - start;
      for (const Item& c : plant.controllers) record.add_controller(c.tag, c.ds, c.active);
      for (const Item& p : plant.points) record.add_point(p.tag, p.ds, 1.0, p.active);
      start = corva_allocations();
      seen.configured = DCSConfigure(record.get());
      seen.allocations[1] = corva_allocations() - start;
      start = corva_allocations();
      for (int step = 0; step < plant.steps; ++step) DCSSimulate(record.get());
      DCSReset();
      DCSSimulate(record.get());
      DCSStop();
      seen.allocations[2] = corva_allocations() - start;
      for (int i = 0; i < static_cast<int>(plant.controllers.size()); ++i) {
        seen.readings.push_back(std::to_string(record.ctrl(i).OutValue) + "/" +
                                std::to_string(record.ctrl(i).OutValid));
      }
      DCSDestroy(record.get());
    }
    seen.blocks_left = corva_live_blocks() - before;
    for (int i = 0; i < dravlink_call_count(); ++i) {
      const DravlinkCall& call = *dravlink_call(i);
      seen.calls.push_back(std::to_string(call.ordinal) + " " + std::to_string(call.ds) + " " +
                           call.tag_text + " " + std::to_string(call.status));
    }
    seen.boxes = boxes();
    seen.keys = error_keys();
    return seen;
  }

  void reset_standins() {
    corva_reset();
    user32_reset();
    dravlink_reset();
  }

 private:
  std::string report_path_;
};

TEST_F(PlantReportTest, TheReportSaysWhatWasLoadedBoundAndReadBadly) {
  struct Case {
    const char* name;
    Plant plant;
    const char* report;
  } cases[] = {
      {"a plant with unbound items", kPlant,
       "== DCSLoad: " DCS_RELEASE_TEXT "\n"
       "initialization string: 94 bytes\n"
       "reading: read to the end\n"
       "catalogue: AI 1, AO 1, DI 1, DO 1, DCD 0, CALC 1\n"
       "== DCSConfigure\n"
       "controller 0 VALVE ds 1: code 1, AO[0]\n"
       "controller 1 CMD ds 1: code 2, DO[0]\n"
       "controller 2 VALEV ds 1: unbound: no tag named \"VALEV\"\n"
       "controller 3 LEVEL ds 1 (inactive): unbound: \"LEVEL\" data set 1 is only in AI, which "
       "controllers do not read (they read AO, DO, DCD and CALC)\n"
       "process variable 0 level ds 1: code 1, AI[0]\n"
       "process variable 1 RUN ds 2: unbound: \"RUN\" exists with other data sets only: 1 (DI)\n"
       "process variable 2 ERR ds 1: code 4, CALC[0], which process variables do not write\n"
       "result: 1, the link is enabled\n"
       "== DCSReset\n"
       "controller 1: 3 failed reads, the last with status 5\n"
       "== DCSStop\n"
       "controller 1: 1 failed read, the last with status 5\n"},
      {"a string with traps",
       {"*AI*\r\nLEVEL,x,1,0\n*AO*\nVALVE,x,010,0,100\n*AI*\n LEVEL ,x,1,0,1\n,,\nTAIL,x,1\n",
        {{"VALVE", 1, 1}, {"A\tB\x01", -5, 1}},
        {{"LEVEL", 1, 1}},
        0},
       "== DCSLoad: " DCS_RELEASE_TEXT "\n"
       "initialization string: 74 bytes\n"
       "reading: stopped at line 7: an empty token\n"
       "warning: line 7: an empty token (two delimiters with only blanks between them) where a "
       "record would begin ends the reading; the rest of the text, up to line 9, is ignored\n"
       "warning: line 1: the line ends in a carriage return and a line feed (CRLF, 1 line): the "
       "driver keeps the carriage return in the last token of each line, so a header alone on "
       "its line is not recognised\n"
       "warning: line 1: \"*AI*\\r\" is not the header *AI*: it ends in a carriage return (CRLF "
       "line ends); it is skipped, as every token before the first header\n"
       "warning: line 4: the data set \"010\" of the AO record \"VALVE\" is read as an octal "
       "number: 8\n"
       "warning: line 6: the AI tag name \"LEVEL \" has trailing blanks, which an item's TAG "
       "must carry to bind to it\n"
       "catalogue: AI 1, AO 1, DI 0, DO 0, DCD 0, CALC 0\n"
       "== DCSConfigure\n"
       "controller 0 VALVE ds 1: unbound: \"VALVE\" exists with other data sets only: 8 (AO)\n"
       "controller 1 A\\tB\\x01 ds -5: unbound: no tag named \"A\\tB\\x01\"\n"
       "process variable 0 LEVEL ds 1: unbound: no tag named \"LEVEL\"; it stands at line 2, "
       "before the first section header, where tokens are skipped; did you mean \"LEVEL \" "
       "(AI[0], data set 1)?\n"
       "result: 1, the link is enabled\n"
       "== DCSReset\n"
       "failed reads since the last report: none\n"
       "== DCSStop\n"
       "failed reads since the last report: none\n"},
      {"no tags",
       {"*AI*\n", {{"VALVE", 1, 1}}, {}, 1},
       "== DCSLoad: " DCS_RELEASE_TEXT "\n"
       "initialization string: 5 bytes\n"
       "unusable: the string holds 5 bytes; one of 33 bytes or less (at most the six headers, "
       "one a line) is taken to hold no tags, so the driver shows its load warning and loads "
       "nothing\n"
       "catalogue: none\n"
       "== DCSConfigure\n"
       "result: 0, refused: the emulator offers no tags: its string holds 33 bytes or less\n"
       "== DCSReset\n"
       "failed reads: not counted since the last DCSConfigure\n"
       "== DCSStop\n"
       "failed reads: not counted since the last DCSConfigure\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_standins();
    turn_report_on();
    run(c.plant);
    EXPECT_EQ(report_text(), c.report);
  }
}

// Off, the run makes the allocations and calls it made before the report
// existed; on, or with a file that cannot be written, the host and the
// emulator see the very same run.
TEST_F(PlantReportTest, OffOrUnwritableTheRunIsTheSame) {
  set_report_variable(nullptr);
  Seen off = run(kPlant);
  EXPECT_FALSE(report_exists());
  // The fields, then the catalogue; the binding's index; nothing per step.
  EXPECT_EQ(off.allocations[0], 12 + 12);
  EXPECT_EQ(off.allocations[1], 1);
  EXPECT_EQ(off.allocations[2], 0);
  EXPECT_EQ(off.blocks_left, 0);
  EXPECT_TRUE(off.boxes.empty());

  // A file that cannot be opened, no file, and (on Linux) one that opens
  // and refuses every write.
  struct Path {
    const char* path;
    bool opens;
  };
  const std::string in_no_directory = std::string(report_path()) + ".missing/report.txt";
  const Path paths[] = {{report_path(), true},
                        {in_no_directory.c_str(), false},
                        {"", false},
                        {"/dev/full", std::ifstream("/dev/full").good()}};
  for (const Path& p : paths) {
    const char* path = p.path;
    SCOPED_TRACE(path);
    reset_standins();
    std::remove(report_path());
    set_report_variable(path);
    Seen on = run(kPlant);
    EXPECT_EQ(on.calls, off.calls);
    EXPECT_EQ(on.boxes, off.boxes);
    EXPECT_EQ(on.keys, off.keys);
    EXPECT_EQ(on.readings, off.readings);
    EXPECT_EQ(on.configured, off.configured);
    EXPECT_EQ(on.blocks_left, 0);
    EXPECT_EQ(report_exists(), path == report_path());
    // Only a report that is written allocates (the counts, the string's copy).
    if (!p.opens) {
      EXPECT_EQ(on.allocations[0], off.allocations[0]);
      EXPECT_EQ(on.allocations[1], off.allocations[1]);
    }
    EXPECT_EQ(on.allocations[2], 0);
  }
}

// Every allocation of a reported run fails in turn, and every later one too:
// the run goes on, and when only the report's memory was refused (no box
// said otherwise) the host sees the same run as without the report.
TEST_F(PlantReportTest, MemoryForTheReportNotObtainedTheRunGoesOn) {
  set_report_variable(nullptr);
  Seen plain = run(kPlant);
  bool told = false;
  sweep_reported_runs(kPlant, [&](const Seen& seen) {
    std::string report = report_text();
    EXPECT_NE(report.find("== DCSStop\n"), std::string::npos);
    told |= report.find("not obtained") != std::string::npos ||
            report.find("ran out of memory") != std::string::npos;
    if (seen.boxes.empty()) {
      EXPECT_EQ(seen.calls, plain.calls);
      EXPECT_EQ(seen.readings, plain.readings);
    }
  });
  EXPECT_TRUE(told);
}

// A string with records, an empty token that ends the reading and a tag
// after it: whichever allocation is refused, the report reads only tokens
// the check holds, and never says the reading went to the end.
TEST_F(PlantReportTest, TheChecksTokenListRefusedMidRecordLeavesNothingHalfRead) {
  std::string init = "plant tags\n*AI*\n";
  for (int i = 0; i < 102; ++i) {
    init += 'T';
    init += std::to_string(i);
    init += ",x,1,0,1\n";
  }
  init += ",,\nLATE,x,1,0,1\n";
  const Plant plant = {init, {}, {{"T50", 1, 1}, {"late", 1, 1}}, 1};
  sweep_reported_runs(plant, [this](const Seen&) {
    EXPECT_EQ(report_text().find("reading: read to the end"), std::string::npos);
  });
}

// A second load appends to the tables: the reasons name the entries by
// their places in the tables, past those of the first load.
TEST_F(PlantReportTest, ASecondLoadsReasonsCountTheFirstLoadsEntries) {
  turn_report_on();
  HostRecord first;
  set_init_string("plant tags, first part\n*AI*\nP,x,1,0,1\n");
  DCSLoad(first.get());
  HostRecord record;
  set_init_string("plant tags, second part\n*AI*\nA,x,1,0\n*AO*\nV1,y,1,0,4\n");
  DCSLoad(record.get());
  record.add_controller("V1", 1, 1);
  DCSConfigure(record.get());
  DCSDestroy(record.get());
  DCSDestroy(first.get());
  EXPECT_NE(report_text().find(
                "controller 0 V1 ds 1: unbound: \"V1\" data set 1 is only in AI, which "
                "controllers do not read (they read AO, DO, DCD and CALC); its record at line 5 "
                "follows the header \"*AO*\" at line 4, which the AI record \"A\" (line 3) "
                "took as a field\n"),
            std::string::npos)
      << report_text();
}

// A long run adds nothing to the report but larger counts.
TEST_F(PlantReportTest, ALongRunDoesNotGrowTheReport) {
  turn_report_on();
  Plant plant = kPlant;
  run(plant);
  std::string short_run = report_text();
  reset_standins();
  turn_report_on();
  plant.steps = 2000;
  run(plant);
  std::string long_run = report_text();
  std::string counted = "controller 1: 3 failed reads";
  ASSERT_NE(short_run.find(counted), std::string::npos);
  short_run.replace(short_run.find(counted), counted.size(), "controller 1: 2000 failed reads");
  EXPECT_EQ(long_run, short_run);
}

// A refused DCSConfigure names the check that refused it.
TEST_F(PlantReportTest, ARefusalNamesItsCheck) {
  struct Case {
    const char* controller;
    const char* point;
    bool without_catalogue;
    const char* refusal;
  } cases[] = {
      {"", "RUN", false, "a controller's text field is empty (DCSCtrlTagFieldError)"},
      {"VALVE", "", false, "a process variable's text field is empty (DCSPVTagFieldError)"},
      {"VALVE", "RUN", true, "no catalogue: the case must be reloaded or recreated"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refusal);
    reset_standins();
    turn_report_on();
    // Without tags at load time there is no catalogue; the emulator offers
    // them by the time the link is enabled.
    set_init_string(c.without_catalogue ? "" : kTags);
    HostRecord record;
    DCSLoad(record.get());
    set_init_string(kTags);
    record.add_controller(c.controller, 1);
    record.add_point(c.point, 1);
    std::string before = report_text();
    EXPECT_EQ(DCSConfigure(record.get()), 0);
    EXPECT_EQ(report_text(), before + "== DCSConfigure\nresult: 0, refused: " + c.refusal + "\n");
    DCSDestroy(record.get());
  }
}

// Every line of a long report reaches the file, however the driver buffers
// its writes.
TEST_F(PlantReportTest, EveryItemOfALongListIsReported) {
  turn_report_on();
  set_init_string(kTags);
  HostRecord record;
  DCSLoad(record.get());
  std::string expected = "== DCSConfigure\n";
  for (int i = 0; i < 150; ++i) {
    // Built up with +=, which GCC 12's -Wrestrict does not misjudge at -O3.
    std::string number = std::to_string(i);
    std::string tag = "T";
    tag += number;
    record.add_controller(tag.c_str(), 1);
    expected += "controller ";
    expected += number;
    expected += " " + tag + " ds 1: unbound: no tag named \"" + tag + "\"\n";
  }
  ASSERT_EQ(DCSConfigure(record.get()), 1);
  DCSDestroy(record.get());
  std::string report = report_text();
  std::size_t at = report.find("== DCSConfigure\n");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(report.substr(at), expected + "result: 1, the link is enabled\n");
}

// The counts' block holds the controllers of DCSConfigure: one the host adds
// later is read, and not counted.
TEST_F(PlantReportTest, AControllerAddedAfterConfigureIsNotCounted) {
  turn_report_on();
  set_init_string(kTags);
  dravlink_set_output(DRAVLINK_DO, 1, "CMD", 0.0, 1, 5, 0);
  HostRecord record;
  DCSLoad(record.get());
  record.add_controller("CMD", 1);
  ASSERT_EQ(DCSConfigure(record.get()), 1);
  int added = record.add_controller("CMD", 1);
  record.ctrl_slot(added, 2) = record.ctrl_slot(0, 2);
  record.ctrl_slot(added, 3) = record.ctrl_slot(0, 3);
  dravlink_clear_calls();
  DCSSimulate(record.get());
  EXPECT_EQ(dravlink_call_count(), 2);
  DCSStop();
  DCSDestroy(record.get());
  std::string report = report_text();
  EXPECT_NE(report.find("controller 0: 1 failed read, the last with status 5\n"),
            std::string::npos);
  EXPECT_EQ(report.find("controller 1:"), std::string::npos);
}

// Items of a record that DCSLoad never declared have no slots to report.
TEST_F(PlantReportTest, ARecordWithoutTheDriversFieldsIsSaidSo) {
  turn_report_on();
  set_init_string(kTags);
  HostRecord loaded;
  DCSLoad(loaded.get());
  HostRecord bare;
  bare.add_controller("VALVE", 1);
  bare.add_point("LEVEL", 1);
  std::string before = report_text();
  EXPECT_EQ(DCSConfigure(bare.get()), 1);
  EXPECT_EQ(report_text(), before +
                               "== DCSConfigure\ncontroller 0: no driver fields\nprocess variable "
                               "0: no driver fields\nresult: 1, the link is enabled\n");
  DCSDestroy(loaded.get());
}

}  // namespace
