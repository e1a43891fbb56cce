#include "platform/StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace kx {
namespace {

std::atomic<bool> g_stop{false};
std::atomic<bool> g_emergencyRan{false};
std::function<void()> g_emergencyCleanup;
int g_pipe[2] = {-1, -1};

void OnStopSignal(int) {
  const int saved = errno;
  g_stop.store(true);
  if (g_pipe[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
  }
  errno = saved;
}

}  // namespace

void InstallStopSignalHandlers() {
  if (g_pipe[0] >= 0) return;
  if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) g_pipe[0] = g_pipe[1] = -1;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool StopRequested() { return g_stop.load(); }

int StopSignalFd() { return g_pipe[0]; }

void RequestStop() { OnStopSignal(0); }

void SetEmergencyCleanup(std::function<void()> cleanup) { g_emergencyCleanup = std::move(cleanup); }

void EmergencyExit() {
  if (!g_emergencyRan.exchange(true) && g_emergencyCleanup) {
    try {
      g_emergencyCleanup();
    } catch (...) {
    }
  }
  _exit(0);
}

}  // namespace kx
