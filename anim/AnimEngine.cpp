#include "anim/AnimEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/MulDiv.h"
#include "base/Random.h"

namespace kx {

namespace {

// Copies n pixels between two different frames. The overlays' rectangles are a few dozen
// pixels wide: copied in groups of four (the last group may overlap the one before it)
// rather than by a library call each.
inline void CopyPixels(uint32_t* dst, const uint32_t* src, int n) {
#if defined(__SSE2__)
  if (n >= 4) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)));
    }
    if (i < n) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + n - 4), _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + n - 4)));
    }
    return;
  }
#endif
  for (int i = 0; i < n; ++i) dst[i] = src[i];
}

}  // namespace

TAnimEngine::TAnimEngine(kx::Clock& clock) : Clock(clock), clock_(clock) {
  for (int i = 0; i <= 360; ++i) CosTable[static_cast<size_t>(i)] = std::cos(i * std::numbers::pi / 180.0);
  Clock.Corner = 0;
}

TAnimEngine::~TAnimEngine() = default;

void TAnimEngine::SetProject(TProject& project, TAnimObjects* objects) {
  frameInStep_ = false;
  Project = &project;
  Picture = project.Picture.get();
  WaterMask = project.WaterMask.get();
  for (int k = 0; k < kWaveParamCount; ++k) WaveParams[static_cast<size_t>(k)] = project.WaveParams[static_cast<size_t>(k)].get();
  Speed = project.Speed;
  Objects = objects;
}

bool TAnimEngine::AnyReflection() const {
  for (const TWaveParam* p : WaveParams) {
    if (p != nullptr && p->Reflection != 0) return true;
  }
  return false;
}

bool TAnimEngine::DrawsOverWater() const { return WeatherOn || HasObjects() || ShowClock; }

Bitmap32& TAnimEngine::GetFrame() { return DrawsOverWater() ? Frame : WaterFrame; }

void TAnimEngine::SetWeather(bool on) {
  frameInStep_ = false;
  WeatherOn = on;
  Snow.reset();
  Rain.reset();
  if (!on || Project == nullptr || !Project->Weather) return;
  const TWeatherParam& weather = *Project->Weather;
  if (weather.Kind != kWeatherSnow && weather.Kind != kWeatherRain) return;
  // The particles are scattered over the frame they are drawn into.
  if (Frame.Width() != WaterFrame.Width() || Frame.Height() != WaterFrame.Height()) {
    Frame.SetSize(WaterFrame.Width(), WaterFrame.Height());
  }
  if (weather.Kind == kWeatherSnow) {
    Snow = std::make_unique<TSnow>(&Frame);
    Snow->SetCount(weather.Count);
    Snow->Scatter();
  } else {
    Rain = std::make_unique<TRain>(&Frame);
    Rain->LengthFactor = 10;
    Rain->SetCount(weather.Count);
    Rain->Scatter();
  }
}

void TAnimEngine::Start() {
  LastTick = clock_.TickMs();
  const int w = Picture != nullptr ? Picture->Width() : 0;
  const int h = Picture != nullptr ? Picture->Height() : 0;
  if (Picture != nullptr) {
    WaterFrame = *Picture;
  } else {
    WaterFrame.SetSize(0, 0);
  }

  Clock.Color = 0xFFFFFF;
  Clock.Alpha = 180;
  if (ShowClock) {
    const int32_t side = RoundHalfEven(w / 8.0);
    Clock.SetSize(side, side);
  }
  const bool weatherKind = Project != nullptr && Project->Weather && Project->Weather->Kind > 0;
  if (weatherKind || HasObjects() || ShowClock) Frame.SetSize(w, h);

  RandomSeed = clock_.TickMs();
  Phase.fill(0);

  UseReflection = AnyReflection();
  if (UseReflection) {
    BuildReflection();
  } else {
    ReflectedPicture.SetSize(0, 0);
  }
  BuildRegionMap();
  BuildColumnOffsets();

  if (HasObjects()) {
    for (int i = 0; i < Objects->Count(); ++i) {
      TAnimObject& object = Objects->Item(i);
      object.FrameRect = {0, 0, w, h};
      object.DesignWidth = Project != nullptr ? Project->PictureWidth : w;
      object.DesignHeight = Project != nullptr ? Project->PictureHeight : h;
      object.Start();
    }
  }

  SetWeather(WeatherOn);
  RenderFrame();
  if (Picture != nullptr) WaterFrame = *Picture;
  frameInStep_ = false;
}

void TAnimEngine::RenderFrame() {
  const uint32_t now = clock_.TickMs();
  const uint32_t dt = now - LastTick;  // the tick wraps after 2^32 ms; so does the difference
  LastTick = now;
  RenderWater(dt);
  if (!DrawsOverWater() || WaterFrame.Empty()) return;

  // The water frame, then everything drawn over it.
  RestoreFrame();

  if (HasObjects()) {
    for (int i = 0; i < Objects->Count(); ++i) Objects->Item(i).Draw(Frame);
  }

  if (WeatherOn && Project != nullptr && Project->Weather) {
    const TWeatherParam& weather = *Project->Weather;
    const int32_t frameTime = static_cast<int32_t>(std::min<uint32_t>(dt, std::numeric_limits<int32_t>::max()));
    if (Snow) {
      Snow->FrameTime = frameTime;
      Snow->Speed = Speed;
      Snow->SpeedIndex = weather.SpeedIndex;
      Snow->Opacity = weather.Opacity;
      Snow->MaxSize = std::min<int32_t>(weather.SizeOrWind, 8);
      Snow->Animate();
      overlayRects_.insert(overlayRects_.end(), Snow->Drawn.begin(), Snow->Drawn.end());
    } else if (Rain) {
      Rain->FrameTime = frameTime;
      Rain->Speed = Speed;
      Rain->SpeedIndex = weather.SpeedIndex;
      Rain->LengthFactor = weather.StreakLength;
      Rain->Opacity = weather.Opacity;
      Rain->Angle = 180 - weather.SizeOrWind;
      Rain->Animate();
      overlayRects_.insert(overlayRects_.end(), Rain->Drawn.begin(), Rain->Drawn.end());
    }
  }

  if (ShowClock) {
    const TPoint p = Clock.Origin(Frame.Width(), Frame.Height());
    Clock.CaptureBackground(Frame, p.X, p.Y);
    Clock.Render();
    Clock.CopyTo(Frame, p.X, p.Y);
    overlayRects_.push_back({p.X, p.Y, p.X + Clock.ClockWidth, p.Y + Clock.ClockHeight});
  }
}

void TAnimEngine::RestoreFrame() {
  const int w = WaterFrame.Width();
  const int h = WaterFrame.Height();
  if (Frame.Width() != w || Frame.Height() != h) {
    Frame.SetSize(w, h);
    frameInStep_ = false;
  }
  // Objects draw anywhere; many overlays cost more to undo one by one than a whole copy.
  const bool whole = !IncrementalRestore || !frameInStep_ || HasObjects() ||
                     overlayRects_.size() > static_cast<size_t>(h) * 4;
  if (whole) {
    std::memcpy(Frame.Data(), WaterFrame.Data(), WaterFrame.PixelCount() * sizeof(uint32_t));
  } else {
    // The rows the water pass may have rewritten.
    int32_t top = h, bottom = -1;
    for (size_t k = 0; k < RegionTop.size(); ++k) {
      if (RegionTop[k] > RegionBottom[k]) continue;
      top = std::min(top, RegionTop[k]);
      bottom = std::max(bottom, RegionBottom[k]);
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, h - 1);
    if (top <= bottom) {
      std::memcpy(Frame.Row(top), WaterFrame.Row(top), static_cast<size_t>(bottom - top + 1) * w * sizeof(uint32_t));
    }
    // What the overlays drew last time, outside those rows, walked down the frame so that
    // memory is read in order.
    auto insideWater = std::remove_if(overlayRects_.begin(), overlayRects_.end(), [&](const PixelRect& r) {
      return r.Top >= top && r.Bottom <= bottom + 1;
    });
    overlayRects_.erase(insideWater, overlayRects_.end());
    std::sort(overlayRects_.begin(), overlayRects_.end(),
              [](const PixelRect& a, const PixelRect& b) { return a.Top < b.Top; });
    for (const PixelRect& r : overlayRects_) {
      const int32_t x0 = std::max(r.Left, 0), x1 = std::min(r.Right, w);
      if (x0 >= x1) continue;
      for (int32_t y = std::max(r.Top, 0); y < std::min(r.Bottom, h); ++y) {
        if (y >= top && y <= bottom) continue;
        CopyPixels(Frame.Row(y) + x0, WaterFrame.Row(y) + x0, x1 - x0);
      }
    }
  }
  overlayRects_.clear();
  frameInStep_ = true;
}

void TAnimEngine::Reset() {
  if (Picture == nullptr) return;
  frameInStep_ = false;
  WaterFrame = *Picture;
  UseReflection = AnyReflection();
  if (UseReflection) BuildReflection();
}

}  // namespace kx
