#include "platform/desktop/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

extern char** environ;

namespace kx {
namespace {

int64_t NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

std::string FindProgram(const std::string& name, const std::string& pathList) {
  if (name.empty() || name.find('/') != std::string::npos) return "";
  size_t start = 0;
  while (start <= pathList.size()) {
    const size_t end = std::min(pathList.find(':', start), pathList.size());
    const std::string folder = pathList.substr(start, end - start);
    start = end + 1;
    if (folder.empty() || folder[0] != '/') continue;
    const std::string candidate = folder + (folder.back() == '/' ? "" : "/") + name;
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return "";
}

ChildResult RunChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                            bool captureOutput, int timeoutMs) {
  ChildResult result;
  int pipeFds[2] = {-1, -1};
  if (captureOutput && pipe2(pipeFds, O_CLOEXEC) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (captureOutput) {
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // The child leads a process group of its own, so that a tool that hangs is stopped with
  // whatever it started.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);

  pid_t child = -1;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (captureOutput) close(pipeFds[1]);
  if (spawned != 0) {
    if (captureOutput) close(pipeFds[0]);
    return result;
  }
  result.started = true;

  const int64_t deadline = NowMs() + timeoutMs;
  int status = 0;
  bool reaped = false;
  bool outputOpen = captureOutput;
  while (!reaped) {
    const int64_t left = deadline - NowMs();
    if (left <= 0) {
      kill(-child, SIGKILL);
      waitpid(child, &status, 0);
      result.timedOut = true;
      break;
    }
    if (outputOpen) {
      pollfd p{pipeFds[0], POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(std::min<int64_t>(left, 50))) > 0) {
        char buffer[4096];
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0) {
          if (result.output.size() < (1u << 20)) result.output.append(buffer, static_cast<size_t>(n));
        } else {
          outputOpen = false;
        }
      }
    } else {
      usleep(5000);
    }
    if (waitpid(child, &status, WNOHANG) == child) reaped = true;
  }
  if (captureOutput) {
    // Whatever the child wrote just before it ended.
    char buffer[4096];
    ssize_t n;
    fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    while (!result.timedOut && (n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
      if (result.output.size() < (1u << 20)) result.output.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
  }
  if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

}  // namespace kx
