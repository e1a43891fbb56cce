#pragma once
// Fakes and helpers shared by the tests.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

namespace kx::test {

// A clock that only moves when told to (or by the amount each sleep asks for). Its local
// time of day is `timeOfDay`, fixed until a test changes it.
class FakeClock final : public Clock {
 public:
  uint32_t TickMs() override { return now; }
  void SleepMs(uint32_t ms) override {
    now += ms;
    ++sleeps;
  }
  TimeOfDay LocalTimeOfDay() override { return timeOfDay; }
  uint32_t now = 1000;
  int sleeps = 0;
  TimeOfDay timeOfDay{10, 10, 0};
};

struct RecordedMessage {
  MessageKind kind;
  std::string caption;
  std::string text;
};

class RecordingMessageBox final : public MessageBoxService {
 public:
  void Show(MessageKind kind, const std::string& caption, const std::string& text) override {
    shown.push_back({kind, caption, text});
  }
  bool Ask(const std::string& caption, const std::string& text) override {
    shown.push_back({MessageKind::Information, caption, text});
    return answer;
  }
  std::vector<RecordedMessage> shown;
  bool answer = true;
};

// A fresh folder under the build's temporary area, removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::string pattern = "/tmp/kxtest-XXXXXX";
    char* made = mkdtemp(pattern.data());
    path_ = made ? std::string(made) + "/" : std::string();
  }
  ~TempDir() { RemoveTreeNoFollow(path_); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

inline void WriteText(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

inline std::string ReadText(const std::string& path) {
  std::string text;
  ReadFileBytes(path, text);
  return text;
}

// Runs a command line through the shell with its standard output discarded; returns its
// exit code (-1 when it did not exit) and what it wrote to standard error.
inline int RunProgram(const std::string& commandLine, std::string& stderrText) {
  TempDir dir;
  const std::string errPath = dir / "stderr.txt";
  const int status = std::system((commandLine + " >/dev/null 2>" + errPath).c_str());
  stderrText = ReadText(errPath);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int ModeBits(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

}  // namespace kx::test
