#pragma once
// A progress display for long kxpack runs on stderr. On a terminal it is one bar redrawn in
// place (at most every tenth of a second); anywhere else (a log, a pipe) it writes a plain
// line at every tenth of the way, so logs stay readable. Notes printed meanwhile appear on
// lines of their own above the bar.
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace kx {

class Progress {
 public:
  Progress(std::string label, size_t total, std::FILE* out = stderr);
  ~Progress();
  void Step(size_t done);
  void Note(const std::string& line);
  void Finish();

 private:
  void Draw();
  std::string label_;
  size_t total_;
  size_t done_ = 0;
  std::FILE* out_;
  bool terminal_;
  bool finished_ = false;
  int lastTenth_ = -1;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace kx
