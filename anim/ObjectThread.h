#pragma once
// TObjectThread: the worker of one animated object.
//
// The worker runs its step function, rests 5 ms, and again, until it is told to end. It is
// created paused. Pause() returns only once the step in progress (if any) has finished, and
// no step starts until Resume(); so a paused object is always between two steps. The rest
// between steps is a real 5 ms wait that ends at once when the worker is told to end, so
// freeing a scene of 101 objects does not wait 101 x 5 ms.
//
// The step function must not throw; should it, the exception is dropped and the worker goes
// on with its next step.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace kx {

class TObjectThread {
 public:
  static constexpr int kRestMs = 5;

  // Starts the thread, paused. Throws std::system_error when no thread can be made.
  explicit TObjectThread(std::function<void()> step);
  // Ends the worker and waits for it.
  ~TObjectThread();
  TObjectThread(const TObjectThread&) = delete;
  TObjectThread& operator=(const TObjectThread&) = delete;

  void Pause();
  void Resume();
  // Asks the worker to end, without waiting for it.
  void RequestEnd();
  // Asks the worker to end and waits until its thread has finished.
  void End();

  bool Paused() const;
  // Steps begun and finished so far; equal whenever no step is running.
  uint64_t StepsBegun() const { return begun_.load(); }
  uint64_t StepsDone() const { return done_.load(); }

  // Workers whose thread has not finished yet, in the whole process.
  static int LiveWorkers() { return live_.load(); }

 private:
  void Run();

  std::function<void()> step_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool running_ = false;
  bool ending_ = false;
  bool stepping_ = false;
  std::atomic<uint64_t> begun_{0};
  std::atomic<uint64_t> done_{0};
  std::thread thread_;

  static std::atomic<int> live_;
};

}  // namespace kx
