#include "tools/kxpack/Progress.h"

#include <unistd.h>

namespace kx {
namespace {

constexpr int kBarWidth = 30;

}  // namespace

Progress::Progress(std::string label, size_t total, std::FILE* out)
    : label_(std::move(label)), total_(total), out_(out), terminal_(isatty(fileno(out)) == 1) {
  if (!terminal_) std::fprintf(out_, "%s: %zu to do\n", label_.c_str(), total_);
}

Progress::~Progress() { Finish(); }

void Progress::Step(size_t done) {
  done_ = done;
  if (terminal_) {
    const auto now = std::chrono::steady_clock::now();
    if (done_ < total_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    Draw();
    return;
  }
  const int tenth = total_ == 0 ? 10 : static_cast<int>(done_ * 10 / total_);
  if (tenth != lastTenth_ && tenth > 0) {
    lastTenth_ = tenth;
    std::fprintf(out_, "%s: %zu of %zu\n", label_.c_str(), done_, total_);
  }
}

void Progress::Draw() {
  const int filled = total_ == 0 ? kBarWidth : static_cast<int>(done_ * kBarWidth / total_);
  std::string bar(filled, '#');
  bar.resize(kBarWidth, '-');
  std::fprintf(out_, "\r%s [%s] %zu/%zu\033[K", label_.c_str(), bar.c_str(), done_, total_);
  std::fflush(out_);
}

void Progress::Note(const std::string& line) {
  if (terminal_) std::fprintf(out_, "\r\033[K");
  std::fprintf(out_, "%s\n", line.c_str());
  if (terminal_ && !finished_) Draw();
}

void Progress::Finish() {
  if (finished_) return;
  finished_ = true;
  if (terminal_) {
    Draw();
    std::fprintf(out_, "\n");
  }
}

}  // namespace kx
