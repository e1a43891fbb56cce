#pragma once
// TGifObject: an animated GIF image.
//
// Keys: "Filename", "AnimSpeed" (default 10), "Transparent" (default 1), "TransparentType"
// (default 0: the GIF's own transparent colour; 1 the colour of the first frame's pixel in
// column 0 of its last row; 2 "TransparentColor"), "TransparentColor", "RefreshFrame"
// (every frame clears its rectangle before the next one, disposal 2).
//
// Loading decodes every frame and composes them on the GIF's logical screen once. With
// TransparentType 1 or 2 the colour is looked up in the GIF's global colour table and that
// index becomes every frame's transparent colour; when the table lacks it, no frame is
// transparent. With Transparent 0 no frame is. What is transparent shows the frame behind
// it, and so does every pixel of exactly pure yellow (0xFFFF00): that is the key colour with
// which the object's frame image starts.
//
// Animation: instead of a painter thread, the frame shown is chosen from the time since
// Prepare, by the frames' delays scaled by the speed and looping for ever. The speed is
// AnimSpeed x 10 percent up to AnimSpeed 10, else AnimSpeed x 50 - 400 percent (10: 100 %,
// 11: 150 %, 20: 600 %); AnimSpeed below 1 counts as 1. A delay below 2 hundredths counts as
// 10 hundredths, as in common viewers. Stop() holds the animation at its frame, Resume()
// goes on from there. A one-frame GIF shows its frame from Prepare on and never changes.
//
// Limits of what is kept: the first kMaxGifObjectFrames frames, and no more frames than fit
// in kMaxGifObjectPixels pixels; a GIF damaged after some complete frames shows those.
// Frames are scaled onto the draw rectangle by nearest neighbour, mirrored while the object
// faces left, drawn with the object's alpha.
#include <string>
#include <vector>

#include "anim/ImageObject.h"

namespace kx {

inline constexpr int kMaxGifObjectFrames = 1000;
inline constexpr int64_t kMaxGifObjectPixels = 32ll * 1024 * 1024;
inline constexpr uint32_t kGifKeyColor = 0x00FFFF00;

class TGifObject : public TAnimImgObject {
 public:
  explicit TGifObject(const TObjectServices& services = {});
  ~TGifObject() override;

  void Prepare() override;
  // Holds the animation, then pauses the worker.
  void Stop() override;
  std::string SaveToText() override;
  void Resume() override;
  void Draw(Bitmap32& frame) override;
  // Reads its own keys, then the shared ones.
  virtual void LoadFromText(const IniSections& keys);

  int32_t AnimSpeed = 10;
  uint8_t RefreshFrame = 0;
  bool GifLoaded = false;

  // The animation speed in percent that AnimSpeed gives.
  int32_t SpeedPercent() const;
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  // The frame due at `tick` (0 for a GIF of one frame).
  int FrameIndexAt(uint32_t tick) const;
  // How long frame i stays, ms, at the current speed.
  double FrameDurationMs(int i) const;
  // The frame image as last drawn: what shows of every pixel (coverage 0 or 255).
  const Bitmap32& FrameImage() const;
  // How many times a frame has been put into the frame image since Prepare.
  int FrameDraws() const { return frameDraws_; }
  // Shows the frame due now in the frame image (Draw does it every frame).
  void UpdateFrameImage();

 private:
  bool Load();
  uint32_t AnimationTime(uint32_t tick) const;

  std::vector<Bitmap32> frames_;  // each composed frame as a coverage image
  std::vector<int32_t> delaysCs_;
  std::vector<double> frameEnds_;  // ms from the loop's start to each frame's end
  int shown_ = 0;
  int frameDraws_ = 0;
  // The animation's clock: ms since Prepare, less the time spent stopped.
  uint32_t animationStart_ = 0;
  uint32_t pausedAt_ = 0;
  uint32_t pausedTotal_ = 0;
  bool paused_ = false;
};

}  // namespace kx
