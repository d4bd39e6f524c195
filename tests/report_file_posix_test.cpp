// The plant report's file as the C runtime's descriptors see it on Linux:
// created with mode 0644, every descriptor closed again, written when the
// host runs without standard input (the file then opens as descriptor 0),
// and a write that the system cuts short ends the report there, never the
// run.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "driver/entry_points.h"
#include "report_variable.h"
#include "standin_fixture.h"

namespace {

int open_descriptors() {
  int count = 0;
  DIR* directory = opendir("/proc/self/fd");
  while (directory != nullptr && readdir(directory) != nullptr) ++count;
  if (directory != nullptr) closedir(directory);
  return count;
}

class ReportFilePosixTest : public StandinTest {
 protected:
  void SetUp() override {
    StandinTest::SetUp();
    path_ = ::testing::TempDir() + "dravik32-posix-" + std::to_string(getpid()) + ".report";
    unlink(path_.c_str());
    set_report_variable(path_.c_str());
    set_init_string("plant tags of unit 7\n*AI*\nLEVEL,x,1,0,100\n*AO*\nVALVE,x,1,0,100\n");
  }
  void TearDown() override {
    set_report_variable(nullptr);
    unlink(path_.c_str());
    StandinTest::TearDown();
  }
  // Load, configure, a step, stop and destroy: five report points.
  std::int32_t run() {
    HostRecord record;
    DCSLoad(record.get());
    record.add_controller("VALVE", 1);
    std::int32_t linked = DCSConfigure(record.get());
    DCSSimulate(record.get());
    DCSStop();
    DCSDestroy(record.get());
    return linked;
  }
  std::string written() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string path_;
};

TEST_F(ReportFilePosixTest, TheFileIsCreatedWrittenAndClosedAsAFileShouldBe) {
  int before = open_descriptors();
  mode_t mask = umask(022);
  EXPECT_EQ(run(), 1);
  umask(mask);
  EXPECT_EQ(open_descriptors(), before);
  struct stat status = {};
  ASSERT_EQ(stat(path_.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0644u);
  std::string whole = written();
  EXPECT_NE(whole.find("== DCSDestroy\n"), std::string::npos);

  // Without standard input the report's file opens as descriptor 0.
  unlink(path_.c_str());
  int saved = dup(0);
  ASSERT_GE(saved, 0);
  close(0);
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(fcntl(0, F_GETFD), -1) << "the report left descriptor 0 open";
  dup2(saved, 0);
  close(saved);
  EXPECT_EQ(written(), whole);

  // A file that may grow only so far: the first write is cut short, the
  // next refused; the report ends there and the run goes on.
  unlink(path_.c_str());
  struct rlimit limit = {};
  getrlimit(RLIMIT_FSIZE, &limit);
  struct rlimit small = {100, limit.rlim_max};
  auto previous = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  std::int32_t linked = run();
  setrlimit(RLIMIT_FSIZE, &limit);
  signal(SIGXFSZ, previous);
  EXPECT_EQ(linked, 1);
  EXPECT_EQ(written(), whole.substr(0, 100));
  EXPECT_EQ(open_descriptors(), before);
}

}  // namespace
