#include "anim/ObjectThread.h"

#include <chrono>

namespace kx {

std::atomic<int> TObjectThread::live_{0};

TObjectThread::TObjectThread(std::function<void()> step) : step_(std::move(step)) {
  ++live_;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (...) {
    --live_;
    throw;
  }
}

TObjectThread::~TObjectThread() { End(); }

void TObjectThread::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return ending_ || running_; });
    if (ending_) break;
    stepping_ = true;
    ++begun_;
    lock.unlock();
    try {
      step_();
    } catch (...) {
      // A failed step leaves the object where it was; the next one goes on.
    }
    lock.lock();
    stepping_ = false;
    ++done_;
    wake_.notify_all();  // a Pause() may be waiting for this step to finish
    wake_.wait_for(lock, std::chrono::milliseconds(kRestMs), [this] { return ending_; });
    if (ending_) break;
  }
  lock.unlock();
  --live_;
}

void TObjectThread::Pause() {
  std::unique_lock<std::mutex> lock(mutex_);
  running_ = false;
  wake_.wait(lock, [this] { return !stepping_; });
}

void TObjectThread::Resume() {
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = true;
  wake_.notify_all();
}

void TObjectThread::RequestEnd() {
  std::lock_guard<std::mutex> lock(mutex_);
  ending_ = true;
  wake_.notify_all();
}

void TObjectThread::End() {
  RequestEnd();
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool TObjectThread::Paused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !running_;
}

}  // namespace kx
