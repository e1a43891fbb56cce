#include "anim/GifObject.h"

#include <algorithm>
#include <cmath>

#include "anim/ObjectColors.h"
#include "anim/ObjectDrawing.h"
#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"
#include "platform/Clock.h"
#include "scene/IniSections.h"

namespace kx {

namespace {

// The first index of `table` whose colour is `rgb` (0x00RRGGBB), or -1.
int FindColor(const std::vector<uint32_t>& table, uint32_t rgb) {
  for (size_t i = 0; i < table.size(); ++i) {
    if ((table[i] & 0x00FFFFFFu) == rgb) return static_cast<int>(i);
  }
  return -1;
}

const Bitmap32& EmptyBitmap() {
  static const Bitmap32 empty;
  return empty;
}

}  // namespace

TGifObject::TGifObject(const TObjectServices& services) : TAnimImgObject(services) {}

TGifObject::~TGifObject() { EndWorker(); }

void TGifObject::LoadFromText(const IniSections& keys) {
  const std::string s = "Obj" + std::to_string(Index);
  ReadImageKeys(keys, 0);
  AnimSpeed = keys.ReadInteger(s, "AnimSpeed", 10);
  const int32_t refresh = keys.ReadInteger(s, "RefreshFrame", 0);
  RefreshFrame = refresh >= 0 && refresh <= 255 ? static_cast<uint8_t>(refresh) : 0;
  LoadCommonKeys(keys);
}

std::string TGifObject::SaveToText() {
  return TAnimObject::SaveToText() + "ObjType=GIF\r\nFilename=" + FileNameText() +
         "\r\nAnimSpeed=" + std::to_string(AnimSpeed) + "\r\n" + ImageKeysText(false) +
         "RefreshFrame=" + std::to_string(RefreshFrame) + "\r\n";
}

int32_t TGifObject::SpeedPercent() const {
  const int32_t speed = std::max(AnimSpeed, 1);
  return speed <= 10 ? speed * 10 : static_cast<int32_t>(std::min<int64_t>(int64_t{speed} * 50 - 400, INT32_MAX));
}

double TGifObject::FrameDurationMs(int i) const {
  if (i < 0 || i >= FrameCount()) return 0;
  const int32_t cs = delaysCs_[static_cast<size_t>(i)] < 2 ? 10 : delaysCs_[static_cast<size_t>(i)];
  return cs * 10.0 * 100.0 / SpeedPercent();
}

bool TGifObject::Load() {
  frames_.clear();
  delaysCs_.clear();
  frameEnds_.clear();
  GifLoaded = false;
  LookUpCommonFolder();
  std::vector<uint8_t> bytes;
  std::string error;
  if (FileName.empty() || !ReadWholeFile(FileName, bytes, error)) return false;
  GifAnimation gif;
  // A damaged file still gives the complete frames before the damage.
  DecodeGifAnimation(bytes, gif, error);
  if (gif.frames.empty() || gif.width <= 0 || gif.height <= 0) return false;

  const int64_t screen = static_cast<int64_t>(gif.width) * gif.height;
  const int64_t fit = std::max<int64_t>(1, kMaxGifObjectPixels / screen);
  const size_t keep = static_cast<size_t>(std::min<int64_t>({static_cast<int64_t>(gif.frames.size()), kMaxGifObjectFrames, fit}));
  gif.frames.resize(keep);

  // The transparent colour asked for, as an index of the global table.
  int keyIndex = -1;
  bool keyFound = true;
  if (TransparentType == 1 || TransparentType == 2) {
    uint32_t rgb = ObjectColorRgb(TransparentColor);
    if (TransparentType == 1) {
      const GifFrame& first = gif.frames.front();
      rgb = 0;
      keyFound = false;
      if (first.width > 0 && first.height > 0 && first.indices.size() >= static_cast<size_t>(first.width) * first.height) {
        const uint8_t index = first.indices[static_cast<size_t>(first.height - 1) * first.width];
        if (index < first.colorTable.size()) {
          rgb = first.colorTable[index] & 0x00FFFFFFu;
          keyFound = true;
        }
      }
    }
    keyIndex = keyFound ? FindColor(gif.globalColorTable, rgb) : -1;
  }
  for (GifFrame& f : gif.frames) {
    if (Transparent == 0) {
      f.transparentIndex = -1;
    } else if (TransparentType == 1 || TransparentType == 2) {
      f.transparentIndex = keyIndex;
    }
    if (RefreshFrame != 0) f.disposal = kGifDisposeBackground;
  }
  ComposeGifFrames(gif);

  for (GifFrame& f : gif.frames) {
    Bitmap32 coverage = std::move(f.composed);
    for (size_t i = 0; i < coverage.PixelCount(); ++i) {
      uint32_t& p = coverage.Data()[i];
      if ((p >> 24) == 0 || (p & 0x00FFFFFFu) == kGifKeyColor) {
        p = 0;
      } else {
        p |= 0xFF000000u;
      }
    }
    frames_.push_back(std::move(coverage));
    delaysCs_.push_back(f.delayCs);
    f.indices.clear();
    f.indices.shrink_to_fit();
  }
  double end = 0;
  for (int i = 0; i < FrameCount(); ++i) {
    end += FrameDurationMs(i);
    frameEnds_.push_back(end);
  }
  ObjWidth = gif.width;
  ObjHeight = gif.height;
  KeyColor = kGifKeyColor;
  GifLoaded = true;
  return true;
}

uint32_t TGifObject::AnimationTime(uint32_t tick) const {
  const uint32_t now = paused_ ? pausedAt_ : tick;
  return now - animationStart_ - pausedTotal_;
}

int TGifObject::FrameIndexAt(uint32_t tick) const {
  if (FrameCount() <= 1 || frameEnds_.back() <= 0) return 0;
  const double t = std::fmod(static_cast<double>(AnimationTime(tick)), frameEnds_.back());
  const auto it = std::upper_bound(frameEnds_.begin(), frameEnds_.end(), t);
  return std::min(static_cast<int>(it - frameEnds_.begin()), FrameCount() - 1);
}

const Bitmap32& TGifObject::FrameImage() const {
  return shown_ < FrameCount() ? frames_[static_cast<size_t>(shown_)] : EmptyBitmap();
}

void TGifObject::UpdateFrameImage() {
  if (FrameCount() <= 1) return;
  const int due = FrameIndexAt(clock().TickMs());
  if (due != shown_) {
    shown_ = due;
    ++frameDraws_;
  }
}

void TGifObject::Stop() {
  if (!paused_) {
    paused_ = true;
    pausedAt_ = clock().TickMs();
  }
  TAnimObject::Stop();
}

void TGifObject::Resume() {
  TAnimObject::Resume();
  if (paused_) {
    pausedTotal_ += clock().TickMs() - pausedAt_;
    paused_ = false;
  }
}

void TGifObject::Prepare() {
  if (!PrepareLoaded(Load())) return;
  // The animation starts with the first frame.
  const uint32_t now = clock().TickMs();
  animationStart_ = now;
  pausedTotal_ = 0;
  pausedAt_ = now;
  shown_ = 0;
  frameDraws_ = 1;
}

void TGifObject::Draw(Bitmap32& frame) {
  if (!Prepared() || !GifLoaded) return;
  UpdateFrameImage();
  const TObjectSnapshot s = Snapshot();
  if (!s.Visible) return;
  DrawCoverageImage(frame, FrameImage(), s.DrawRect, s.Flipped, s.Alpha);
}

}  // namespace kx
