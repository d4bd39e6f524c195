// The plant report seen from the host's side: through the nine exports, with
// DRAVIK32_REPORT naming a file, so these run the same against the Windows
// DLL. The report holds the facts of each entry point, every byte of the
// string as the desk's reader reads it back; off, it changes nothing the host
// or the emulator can see; it never harms the run.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "diagnostics/plant_report_reader.h"
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

// The facts of three runs, word for word: every byte of the string (a
// carriage return, a tab and a trailing blank escaped), each item's slots
// after DCSConfigure, the result and the failed reads.
TEST_F(PlantReportTest, TheReportHoldsTheFactsOfEachEntryPoint) {
  struct Case {
    const char* name;
    Plant plant;
    const char* report;
  } cases[] = {
      {"a plant with unbound items", kPlant,
       "== DCSLoad: " DCS_RELEASE_TEXT "\n"
       "report-format 1\n"
       "length 94\n"
       "|plant tags\n|*AI*\n|LEVEL,x,1,0,100\n|*AO*\n|VALVE,x,1,0,100\n|*DI*\n|RUN,x,1\n"
       "|*DO*\n|CMD,x,1\n|*CALC*\n|ERR,x,1\n|\n"
       "crc32 9B209464\n"
       "load read\n"
       "catalogue AI 1 AO 1 DI 1 DO 1 DCD 0 CALC 1\n"
       "== DCSConfigure\n"
       "controller 0 active \"VALVE\" ds 1 code 1 index 0\n"
       "controller 1 active \"CMD\" ds 1 code 2 index 0\n"
       "controller 2 active \"VALEV\" ds 1 code 0 index -1\n"
       "controller 3 inactive \"LEVEL\" ds 1 code 0 index -1\n"
       "process-variable 0 active \"level\" ds 1 code 1 index 0\n"
       "process-variable 1 active \"RUN\" ds 2 code 0 index -1\n"
       "process-variable 2 active \"ERR\" ds 1 code 4 index 0\n"
       "result 1\n"
       "== DCSReset\n"
       "failed-reads controller 1 count 3 last-status 5\n"
       "== DCSStop\n"
       "failed-reads controller 1 count 1 last-status 5\n"
       "== DCSDestroy\n"},
      {"a string with traps and a tag with control characters",
       {"*AI*\r\nLEVEL,x,1,0\n*AO*\nVALVE,x,010,0,100\n*AI*\n LEVEL ,x,1,0,1 \n,,\n\tT\\\"\x80,x,1",
        {{"VALVE", 1, 1}, {"A\tB\x01\"\\", -5, 1}},
        {{"LEVEL", 1, 1}},
        0},
       "== DCSLoad: " DCS_RELEASE_TEXT "\n"
       "report-format 1\n"
       "length 75\n"
       "|*AI*\\r\n|LEVEL,x,1,0\n|*AO*\n|VALVE,x,010,0,100\n|*AI*\n| LEVEL ,x,1,0,1\\x20\n|,,\n"
       "|\\tT\\\\\"\\x80,x,1\n"
       "crc32 718BE497\n"
       "load read\n"
       "catalogue AI 1 AO 1 DI 0 DO 0 DCD 0 CALC 0\n"
       "== DCSConfigure\n"
       "controller 0 active \"VALVE\" ds 1 code 0 index -1\n"
       "controller 1 active \"A\\tB\\x01\\\"\\\\\" ds -5 code 0 index -1\n"
       "process-variable 0 active \"LEVEL\" ds 1 code 0 index -1\n"
       "result 1\n"
       "== DCSReset\n"
       "failed-reads none\n"
       "== DCSStop\n"
       "failed-reads none\n"
       "== DCSDestroy\n"},
      {"no tags",
       {"*AI*\n", {{"VALVE", 1, 1}}, {}, 1},
       "== DCSLoad: " DCS_RELEASE_TEXT "\n"
       "report-format 1\n"
       "length 5\n"
       "load too-short\n"
       "catalogue none\n"
       "== DCSConfigure\n"
       "controller 0 active \"VALVE\" ds 1 code 0 index -1\n"
       "result 0 no-tags\n"
       "== DCSReset\n"
       "failed-reads uncounted\n"
       "== DCSStop\n"
       "failed-reads uncounted\n"
       "== DCSDestroy\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_standins();
    turn_report_on();
    run(c.plant);
    EXPECT_EQ(report_text(), c.report);
  }
}

// Every byte the emulator hands over comes back out of the report as the
// desk reads it, whatever the byte, wherever the buffer fills (a string of
// escapes longer than the buffer), after its line ends are turned into CRLF;
// and every line of the report is printable text.
TEST_F(PlantReportTest, EveryByteOfTheStringComesBackOutOfTheReport) {
  std::string every_byte = "*AI*\nT,x,1,0,1\n";
  for (int c = 0; c < 256; ++c) every_byte += static_cast<char>(c);
  std::string escapes = "*AI*\n";
  while (escapes.size() < 70000) escapes += "\r\x01 \\\"\n\x7f\x80\t ";
  const std::string strings[] = {
      every_byte,
      escapes,
      "plant tags of unit 7\r\n*AI*\r\nLEVEL ,x,1,0,1 \r\n\r\n",
      "plant tags of unit 7\n*DI*\nRUN,x,1 \n \n  \n",
      "line without a line feed at its end, and blanks  ",
      std::string("plant tags of unit 7\n*DI*\n\0RUN,x,1\n\0\0", 38),
  };
  for (const std::string& text : strings) {
    SCOPED_TRACE(text.substr(0, 30));
    reset_standins();
    turn_report_on();
    set_init_string(text);
    HostRecord record;
    DCSLoad(record.get());
    record.add_controller("A\n\"\\\x7f\xff ", 1);
    DCSConfigure(record.get());
    DCSDestroy(record.get());
    std::string written = report_text();
    for (char c : written) {
      ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7f)) << static_cast<int>(c);
    }
    EXPECT_EQ(written.find(" \n"), std::string::npos) << "a line ends in a blank";
    std::string crlf;
    for (char c : written) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& report : {written, crlf}) {
      PlantReport read = read_plant_report(report);
      ASSERT_FALSE(read.fault) << read.fault->line << ": " << read.fault->message;
      ASSERT_EQ(read.events.size(), 3u);
      const auto& load = std::get<ReportLoad>(read.events[0]);
      ASSERT_TRUE(load.text);
      EXPECT_EQ(*load.text, text);
      const auto& configure = std::get<ReportConfigure>(read.events[1]);
      ASSERT_EQ(configure.items.size(), 1u);
      EXPECT_EQ(configure.items[0].tag, "A\n\"\\\x7f\xff ");
    }
  }
}

// Off, the run makes the allocations and calls it made before the report
// existed; on, or with a file that cannot be written, the host and the
// emulator see the very same run, and the report allocates nothing but the
// failed-read counts.
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
    EXPECT_EQ(on.allocations[0], off.allocations[0]);
    // The failed-read counts, when the file opens.
    EXPECT_EQ(on.allocations[1], off.allocations[1] + (p.opens ? 1 : 0));
    EXPECT_EQ(on.allocations[2], 0);
  }
}

// Every allocation of a reported run fails in turn, and every later one too:
// the run goes on, the report says when the counts were refused, and when
// only the report's memory was refused the host sees the same run.
TEST_F(PlantReportTest, MemoryForTheCountsNotObtainedTheRunGoesOn) {
  set_report_variable(nullptr);
  Seen plain = run(kPlant);
  bool told = false;
  sweep_reported_runs(kPlant, [&](const Seen& seen) {
    std::string report = report_text();
    EXPECT_NE(report.find("== DCSStop\n"), std::string::npos);
    told |= report.find("failed-reads uncounted\nresult 1\n") != std::string::npos;
    if (seen.boxes.empty()) {
      EXPECT_EQ(seen.calls, plain.calls);
      EXPECT_EQ(seen.readings, plain.readings);
    }
  });
  EXPECT_TRUE(told);
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
  std::string counted = "controller 1 count 3 ";
  ASSERT_NE(short_run.find(counted), std::string::npos);
  short_run.replace(short_run.find(counted), counted.size(), "controller 1 count 2000 ");
  EXPECT_EQ(long_run, short_run);
}

// A refused DCSConfigure names the check that refused it, after the items.
TEST_F(PlantReportTest, ARefusalNamesItsCheck) {
  struct Case {
    const char* controller;
    const char* point;
    bool without_catalogue;
    const char* facts;
  } cases[] = {
      {nullptr, "RUN", false,
       "controller 0 active null ds 1 code 0 index -1\n"
       "process-variable 0 active \"RUN\" ds 1 code 0 index -1\nresult 0 ctrl-text-empty\n"},
      {"VALVE", "", false,
       "controller 0 active \"VALVE\" ds 1 code 0 index -1\n"
       "process-variable 0 active \"\" ds 1 code 0 index -1\nresult 0 pv-text-empty\n"},
      {"VALVE", "RUN", true,
       "controller 0 active \"VALVE\" ds 1 code 0 index -1\n"
       "process-variable 0 active \"RUN\" ds 1 code 0 index -1\nresult 0 no-catalogue\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.facts);
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
    EXPECT_EQ(report_text(), before + "== DCSConfigure\n" + c.facts);
    DCSDestroy(record.get());
  }
}

// The counts' block holds the controllers of DCSConfigure: one the host adds
// later is read, and not counted, until the next DCSConfigure counts afresh
// in a block of its own, the old one released.
TEST_F(PlantReportTest, AControllerAddedAfterConfigureIsCountedFromTheNext) {
  turn_report_on();
  set_init_string(kTags);
  dravlink_set_output(DRAVLINK_DO, 1, "CMD", 0.0, 1, 5, 0);
  {
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
    ASSERT_EQ(DCSConfigure(record.get()), 1);
    DCSSimulate(record.get());
    DCSStop();
    DCSDestroy(record.get());
  }
  EXPECT_EQ(driver_blocks(), 0);
  std::string report = report_text();
  EXPECT_NE(report.find("== DCSStop\nfailed-reads controller 0 count 1 last-status 5\n== "
                        "DCSConfigure\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("== DCSStop\nfailed-reads controller 0 count 1 last-status 5\n"
                        "failed-reads controller 1 count 1 last-status 5\n== DCSDestroy\n"),
            std::string::npos)
      << report;
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
                               "== DCSConfigure\ncontroller 0 no-fields\nprocess-variable 0 "
                               "no-fields\nresult 1\n");
  DCSDestroy(loaded.get());
}

}  // namespace
