// The idle handler of the show: item changes, transitions, the scene sound schedule and the
// frame pacing.
#include <algorithm>
#include <charconv>

#include "base/MulDiv.h"
#include "base/Random.h"
#include "payload/MediaStore.h"
#include "platform/Files.h"
#include "saver/SaverShow.h"
#include "transitions/EffectTable.h"
#include "transitions/TransitionStep.h"

namespace kx {

namespace {
constexpr uint32_t kBlack = Rgb(0, 0, 0);

// Whole seconds from `since` to `now` (0 when `now` lies before it).
int64_t WholeSecondsSince(uint64_t now, uint64_t since) {
  return now > since ? static_cast<int64_t>((now - since) / 1000) : 0;
}

// The effect number of a transition list entry; 0 when it is not a decimal number.
int32_t ParseEffectNumber(const std::string& text) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end) return 0;
  return value;
}
}  // namespace

bool TSaverShow::AppIdle() {
  if (inIdle_ || !shown_) return false;
  inIdle_ = true;
  DeliverMusicNotification();
  try {
    if (SoundOn) TickSceneSounds();
    if (AutoAdvance && !Playlist.empty()) {
      const int64_t elapsed = WholeSecondsSince(tick_.NowMs(), LastChangeTick);
      if (CurrentDuration <= elapsed) {
        CurrentDuration = Duration;
        NextItemIndex();
        NextItem = Playlist[static_cast<size_t>(ItemIndex)];
        if (NextItem != LastLoaded) ChangeItem();
        // The item's time counts from the end of its transition.
        LastChangeTick = tick_.NowMs();
      }
    }
    if (IsPicture && PictureOnScreen) {
      // Nothing on the screen can change before the next item: rest until then (input is
      // handled meanwhile) instead of presenting the same frame again.
      const auto rest = static_cast<uint32_t>(std::clamp<int64_t>(MsUntilChange(), 1, kRestMaxMs));
      if (!window_.IdleAgainAfter(rest)) tick_.SleepMs(rest);
    } else {
      if (!IsPicture && Engine) Engine->RenderFrame();
      PresentFrame();
    }
  } catch (...) {
    // The show goes on with the next call.
  }
  inIdle_ = false;
  return false;
}

int64_t TSaverShow::MsUntilChange() {
  if (!AutoAdvance) return kRestMaxMs;
  const int64_t elapsed = static_cast<int64_t>(tick_.NowMs() - LastChangeTick);
  return static_cast<int64_t>(CurrentDuration) * 1000 - elapsed;
}

int64_t TSaverShow::RefreshIntervalMs() {
  double hz = window_.RefreshRateHz();
  if (!(hz >= 1.0 && hz <= 1000.0)) hz = kDefaultRefreshHz;
  return std::max<int64_t>(1, static_cast<int64_t>(1000.0 / hz + 0.5));
}

void TSaverShow::ScreenResized() {
  if (!shown_ || Project == nullptr) return;
  PictureOnScreen = false;
  presenter_.Start(Project->Setting.DirectX);
  DirectXActive = presenter_.DirectXActive();
  if (LastLoaded.empty()) return;
  NextItem = LastLoaded;
  try {
    LoadNextItem();
  } catch (...) {
    // The screen stays black until the next change.
  }
}

void TSaverShow::ChangeItem() {
  bool loaded = false;
  try {
    loaded = LoadNextItem();
  } catch (...) {
    loaded = false;
  }
  if (!loaded) return;  // the current item stays on the screen
  try {
    if (TransitionOn) {
      RunTransition(TransitionTime);
      return;
    }
  } catch (...) {
    // A transition that fails part-way: the new item appears with the next frame.
  }
  presenter_.FillBlack();
}

void TSaverShow::NextItemIndex() {
  const int32_t count = static_cast<int32_t>(Playlist.size());
  if (ShowImageMode != 0 && ShowImageMode != 2) {
    ++ItemIndex;
    if (ItemIndex >= count) ItemIndex = 0;
  } else if (count < 2) {
    ItemIndex = 0;
  } else {
    int32_t next;
    do {
      next = RandomBelow(count);
    } while (next == ItemIndex);
    ItemIndex = next;
  }
}

void TSaverShow::BuildTransitionList() {
  TransitionList.clear();
  const std::string& text = Project != nullptr ? Project->Setting.TransitionEffects : std::string();
  std::string piece;
  for (char c : text + ',') {
    if (c == ',' || static_cast<unsigned char>(c) <= ' ') {
      if (!piece.empty()) TransitionList.push_back(piece);
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (TransitionList.empty()) TransitionList.push_back("1");
}

void TSaverShow::RunTransition(int32_t durationMs) {
  // The old picture is read from the surface, and the frames it may stand for change now.
  presenter_.HoldShownFrame();
  window_.ProcessPendingMessages();
  int32_t dx = 0, dy = 0;
  const ItemSize screen = presenter_.Screen();
  if (DirectXActive) {
    // The old picture is what the display shows now, at the size it was rendered.
    const ItemSize surface = presenter_.SurfaceSize();
    OldFrame.SetSize(surface.Width, surface.Height);
    NewFrame.SetSize(surface.Width, surface.Height);
    WorkFrame.SetSize(surface.Width, surface.Height);
    window_.ProcessPendingMessages();
    CopyClipped(presenter_.Surface(), OldFrame, 0, 0);
    NewFrame.Fill(kBlack);
    window_.ProcessPendingMessages();
  } else {
    OldFrame.SetSize(screen.Width, screen.Height);
    NewFrame.SetSize(screen.Width, screen.Height);
    WorkFrame.SetSize(screen.Width, screen.Height);
    window_.ProcessPendingMessages();
    NewFrame.Fill(kBlack);
    if (!Stretch || Proportional) {
      ItemSize item{PictureFrame.Width(), PictureFrame.Height()};
      if (!IsPicture) {
        const Bitmap32* picture = Scene ? Scene->Picture.get() : nullptr;
        item = picture != nullptr ? ItemSize{picture->Width(), picture->Height()} : ItemSize{};
      }
      const ItemOffset offset = CentringOffset(screen.Width, screen.Height, item.Width, item.Height);
      dx = offset.X;
      dy = offset.Y;
    }
    CopyClipped(presenter_.Surface(), OldFrame, 0, 0);
    window_.ProcessPendingMessages();
  }

  // The new item, and the start of the first step's cost.
  uint64_t t0;
  if (IsPicture) {
    CopyClipped(PictureFrame, NewFrame, dx, dy);
    t0 = tick_.NowMs();
  } else {
    t0 = tick_.NowMs();
    if (Engine) {
      Engine->RenderFrame();
      CopyClipped(Engine->GetFrame(), NewFrame, dx, dy);
    }
  }

  const int32_t effect = ParseEffectNumber(TransitionList[static_cast<size_t>(RandomBelow(static_cast<int32_t>(TransitionList.size())))]);
  if (!IsEffectIndex(effect) || OldFrame.Empty()) {
    // No such effect (or nothing to draw on): the new item appears with the next frame.
    presenter_.FillBlack();
    return;
  }
  if (DirectXActive) presenter_.LoadSurface(WorkFrame);
  DrawTransitionStep(effect, 0);

  // The number of steps follows from the cost of the first one, counted as at least one
  // refresh of the display: no step is drawn that the display could not show. Each step then
  // waits for its own time, so the transition lasts its duration.
  const int64_t stepTime = std::max(static_cast<int64_t>(tick_.NowMs() - t0) + 1, RefreshIntervalMs());
  const int64_t count = durationMs > 0 ? durationMs / stepTime : 0;
  for (int64_t i = 1; i <= count; ++i) {
    const uint64_t due = t0 + static_cast<uint64_t>(i * stepTime);
    if (const uint64_t now = tick_.NowMs(); due > now) tick_.SleepMs(static_cast<uint32_t>(due - now));
    const int32_t percent = RoundHalfEven(static_cast<double>(i) * 100.0 / static_cast<double>(count));
    if (!IsPicture && Engine) {
      // The scene keeps moving during the transition.
      Engine->RenderFrame();
      CopyClipped(Engine->GetFrame(), NewFrame, dx, dy);
    }
    DrawTransitionStep(effect, percent);
    window_.ProcessPendingMessages();
    if (window_.Stopping()) return;
  }
}

void TSaverShow::DrawTransitionStep(int32_t effect, int32_t percent) {
  // Restores the old picture on WorkFrame, derives the progress in pixels from the percent
  // (the longer side first) and lets the effect draw.
  if (!TransitionStep(effect, OldFrame, NewFrame, percent, WorkFrame)) return;
  PresentBitmap(WorkFrame, 0, 0);
}

// Scene sounds.

int64_t TSaverShow::RandomInterval(const TSoundSlot& slot) {
  // A whole number of seconds from MinTime (inclusive) to MaxTime (exclusive). Negative
  // stored times count as 0 (an interval cannot be negative; it made the sound restart every
  // frame), so the span always fits RandomBelow.
  const int32_t low = std::max(0, std::min(slot.MinTime, slot.MaxTime));
  const int32_t high = std::max(0, std::max(slot.MinTime, slot.MaxTime));
  return static_cast<int64_t>(low) + RandomBelow(high - low);
}

std::string TSaverShow::ResolveSoundFile(const std::string& name) const {
  if (name.empty()) return "";
  if (MediaFileExists(name)) return name;
  const std::string part = FileNamePart(name);
  if (part.empty()) return "";
  const std::string candidates[] = {
      env_.extractionFolder.empty() ? "" : env_.extractionFolder + part,
      env_.commonFolder.empty() ? "" : env_.commonFolder + "sounds/" + part,
      env_.executableFolder.empty() ? "" : env_.executableFolder + "sounds/" + part,
  };
  // The extraction folder's candidate is written from the payload when the scene asks for it.
  for (const std::string& path : candidates)
    if (!path.empty() && MediaFileExists(path)) return path;
  return "";
}

void TSaverShow::LoadSceneSounds() {
  const uint64_t now = tick_.NowMs();
  for (auto& state : SoundStates) state = TSoundState{};
  if (!Scene || !Effects) return;
  const int count = std::min(Scene->SoundCount(), TSoundEffect::kVoiceCount);
  for (int i = 0; i < count; ++i) {
    TSoundState& state = SoundStates[static_cast<size_t>(i)];
    const TSoundSlot& slot = Scene->Sounds[static_cast<size_t>(i)];
    state.LastStart = now;
    const std::string file = ResolveSoundFile(slot.FileName());
    if (file.empty()) continue;
    // Voice i belongs to sound i, also when an earlier sound was skipped.
    try {
      Effects->Load(i, file);
    } catch (...) {
      continue;
    }
    state.Loaded = true;
    if (slot.Mode == kSoundRandomInterval) state.Interval = RandomInterval(slot);
    if (slot.Mode == kSoundFixedInterval) state.Interval = slot.MinTime;
  }
}

void TSaverShow::TickSceneSounds() {
  if (!Scene || !Effects) return;
  try {
    for (int i = 0; i < TSoundEffect::kVoiceCount; ++i) {
      TSoundState& state = SoundStates[static_cast<size_t>(i)];
      if (!state.Loaded) continue;
      const TSoundSlot& slot = Scene->Sounds[static_cast<size_t>(i)];
      const uint64_t now = tick_.NowMs();
      const int64_t elapsed = WholeSecondsSince(now, state.LastStart);
      bool start = false;
      switch (slot.Mode) {
        case kSoundLooped:
          start = !state.Started;
          state.Started = true;
          break;
        case kSoundRandomInterval:
          if (elapsed >= state.Interval) {
            state.LastStart = now;
            state.Interval = RandomInterval(slot);
            start = true;
          }
          break;
        case kSoundFixedInterval:
          if (elapsed >= slot.MinTime) {
            state.LastStart = now;
            start = true;
          }
          break;
        default:
          break;
      }
      if (!start) continue;
      Effects->Play(i, slot.Mode == kSoundLooped);
      window_.ProcessPendingMessages();
    }
  } catch (...) {
    // The schedule goes on at the next tick.
  }
}

void TSaverShow::StopSceneSounds() {
  if (Effects) {
    Effects->StopAll();
    Effects->ClearList();
  }
  // Nothing is left to play: the schedule rests until the next scene loads its sounds.
  for (auto& state : SoundStates) state.Loaded = false;
}

// Presentation.

void TSaverShow::PresentFrame() {
  const ItemSize screen = presenter_.Screen();
  ItemOffset offset;
  if (!Stretch || Proportional) offset = CentringOffset(screen.Width, screen.Height, FitWidth, FitHeight);
  static const Bitmap32 kNothing;
  const bool scene = !IsPicture && Engine;
  const Bitmap32& frame = IsPicture ? PictureFrame : (scene ? Engine->GetFrame() : kNothing);
  // A scene frame that follows the one presented last needs only its changed rows shown.
  const bool follows = scene && PresentedSceneFrame && Engine->FrameNumber() == *PresentedSceneFrame + 1;
  const bool shown = PresentBitmap32(frame, offset.X, offset.Y, follows ? &Engine->Changed() : nullptr);
  if (IsPicture) PictureOnScreen = shown;
  PresentedSceneFrame.reset();
  if (scene && shown) PresentedSceneFrame = Engine->FrameNumber();

  // At most one frame per 33 ms; a frame that took longer is followed by no pause.
  const uint64_t now = tick_.NowMs();
  const int64_t wait = kFrameFloorMs - static_cast<int64_t>(now - LastFrameTick);
  if (wait > 0) tick_.SleepMs(static_cast<uint32_t>(wait));
  LastFrameTick = tick_.NowMs();
}

bool TSaverShow::PresentBitmap32(const Bitmap32& frame, int32_t x, int32_t y, const ChangedRows* changed) {
  return presenter_.PresentBitmap32(frame, x, y, changed);
}

void TSaverShow::PresentBitmap(const Bitmap32& bitmap, int32_t x, int32_t y) {
  presenter_.PresentBitmap(bitmap, x, y);
}

std::optional<ItemSize> TSaverShow::RenderSize() const {
  return QualityRenderSize(Project != nullptr ? Project->Setting.DirectXQuality : 0);
}

}  // namespace kx
