#include "audio/MediaPlayer.h"

#include <algorithm>

namespace kx {

TMediaPlayer::TMediaPlayer(AudioService& service, std::function<void()> wakeUp)
    : service_(service), wakeUp_(std::move(wakeUp)) {
  service_.SetMusicFinishedHandler([this] { OnFinished(); });
}

TMediaPlayer::~TMediaPlayer() {
  try {
    Close();
  } catch (const std::exception&) {
  }
  service_.SetMusicFinishedHandler({});
}

void TMediaPlayer::OnFinished() {
  finished_.store(true, std::memory_order_release);
  if (wakeUp_) wakeUp_();
}

void TMediaPlayer::Open() {
  Close();
  service_.OpenMusic(FileName);
  open_ = true;
}

void TMediaPlayer::Play() {
  if (!open_) throw AudioError("no music file is open");
  // An end reported before this play belongs to the previous one.
  finished_.store(false, std::memory_order_relaxed);
  ended_ = false;
  reportAsked_ = Notify;
  Notify = false;
  service_.PlayMusic();
}

void TMediaPlayer::Close() {
  if (open_) service_.CloseMusic();
  // After CloseMusic returns the service reports nothing more of this file, so an end that
  // slipped in before it is dropped here for good.
  finished_.store(false, std::memory_order_relaxed);
  open_ = false;
  ended_ = false;
  reportAsked_ = false;
}

int64_t TMediaPlayer::Position() {
  if (!open_) return 0;
  if (ended_ || finished_.load(std::memory_order_acquire)) return Length();
  return service_.MusicPositionMs();
}

int64_t TMediaPlayer::Length() { return open_ ? service_.MusicLengthMs() : 0; }

void TMediaPlayer::SetMusicVolume(int32_t percent) {
  service_.SetMusicVolume(std::clamp<int32_t>(percent, 0, 100) * 10);
}

bool TMediaPlayer::DeliverPendingNotification() {
  if (!finished_.exchange(false, std::memory_order_acq_rel)) return false;
  ended_ = true;
  const bool asked = reportAsked_ || Notify;
  reportAsked_ = false;
  if (!asked) return false;
  Notify = false;
  if (OnNotify) OnNotify();
  return true;
}

}  // namespace kx
