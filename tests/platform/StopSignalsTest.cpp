// Each case runs in a child process: a stop request cannot be taken back, and the signals
// must not reach the test runner.
#include "platform/StopSignals.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kx {
namespace {

// Runs `body` in a child; its exit code (or 100 + the signal that ended it).
template <typename Body>
int InChild(Body body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(StopSignals, EachSignalIsRecordedAndWakesThePipe) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    const int result = InChild([signal] {
      InstallStopSignalHandlers();
      if (StopRequested()) return 1;
      raise(signal);
      if (!StopRequested()) return 2;
      pollfd fd{StopSignalFd(), POLLIN, 0};
      return poll(&fd, 1, 1000) == 1 ? 0 : 3;
    });
    EXPECT_EQ(result, 0) << strsignal(signal);
  }
}

TEST(StopSignals, EmergencyExitRunsTheCleanupAndEndsWithZero) {
  char path[] = "/tmp/kxstopXXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  const std::string file = path;
  const int result = InChild([&file]() -> int {
    SetEmergencyCleanup([&file] { unlink(file.c_str()); });
    EmergencyExit();
  });
  EXPECT_EQ(result, 0);
  EXPECT_NE(access(file.c_str(), F_OK), 0) << "the clean-up removed the file";
  unlink(file.c_str());
}

}  // namespace
}  // namespace kx
