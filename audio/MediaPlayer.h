#pragma once
// The music player of the saver window: one file at a time, opened by name, with a report on
// the window's thread when the file has been played to its end.
//
// Hand-over of the end of a file: the audio service reports it on its own output thread. There
// the player only sets an atomic flag (and calls the optional wake-up, which may post an event
// to the window thread). The window thread calls `DeliverPendingNotification()` from its idle
// loop or from the posted event; that call runs `OnNotify` on the window thread, once per file
// that ended.
//
// The notify flag asks for that report: `Play` takes the flag (it is used up by the play that
// carries it), and setting it again while a file plays asks for the end of that file as well,
// so a handler that opens and plays the next file and then sets `Notify` hears of its end too.
// A file that ends with no report asked for is not reported.
//
// Times are in milliseconds. The player is used from the window thread only; the audio service
// must outlive it.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/AudioService.h"

namespace kx {

class TMediaPlayer {
 public:
  // `wakeUp`, when given, runs on the audio service's thread right after a file ended; it must
  // be thread-safe and should only post a call of DeliverPendingNotification to the window.
  explicit TMediaPlayer(AudioService& service, std::function<void()> wakeUp = {});
  ~TMediaPlayer();  // closes the file
  TMediaPlayer(const TMediaPlayer&) = delete;
  TMediaPlayer& operator=(const TMediaPlayer&) = delete;

  std::string FileName;
  bool Notify = false;
  std::function<void()> OnNotify;  // runs on the thread that calls DeliverPendingNotification

  // Closes the open file, then opens FileName. Raises AudioError carrying the library's message
  // when the file cannot be opened; the player is closed then.
  void Open();
  // Starts the open file (see AudioService::PlayMusic). Raises AudioError when none is open.
  void Play();
  void Close();
  bool IsOpen() const { return open_; }
  // The position; a file played to its end reports its length. 0 when closed.
  int64_t Position();
  int64_t Length();
  // Music volume from the 0 .. 100 setting: the device volume is percent * 10 (0 to 1000).
  void SetMusicVolume(int32_t percent);

  // Window thread: when a file ended since the last call and its report was asked for, clears
  // Notify, runs OnNotify and returns true.
  bool DeliverPendingNotification();

 private:
  void OnFinished();  // audio service thread

  AudioService& service_;
  const std::function<void()> wakeUp_;
  std::atomic<bool> finished_{false};  // set on the service thread, taken on the window thread
  bool open_ = false;
  bool ended_ = false;        // the open file has been played to its end
  bool reportAsked_ = false;  // the play in progress carried the notify flag
};

}  // namespace kx
