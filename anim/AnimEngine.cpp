#include "anim/AnimEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "base/MulDiv.h"
#include "base/Random.h"

namespace kx {

TAnimEngine::TAnimEngine(kx::Clock& clock) : Clock(clock), clock_(clock) {
  for (int i = 0; i <= 360; ++i) CosTable[static_cast<size_t>(i)] = std::cos(i * std::numbers::pi / 180.0);
  Clock.Corner = 0;
}

TAnimEngine::~TAnimEngine() = default;

void TAnimEngine::SetProject(TProject& project, TAnimObjects* objects) {
  frameInStep_ = false;
  changeAll_ = true;
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
  changeAll_ = true;
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
  changeAll_ = true;
}

void TAnimEngine::RenderFrame() {
  const uint32_t now = clock_.TickMs();
  const uint32_t dt = now - LastTick;  // the tick wraps after 2^32 ms; so does the difference
  LastTick = now;
  const bool composed = DrawsOverWater() && !WaterFrame.Empty();
  // Objects draw anywhere, and many kept boxes cost more to put back than a whole copy.
  const bool incremental = composed && IncrementalRestore && frameInStep_ && !HasObjects() &&
                           Frame.Width() == WaterFrame.Width() && Frame.Height() == WaterFrame.Height() &&
                           under_.KeptPixels() <= WaterFrame.PixelCount() / 2;
  // Frame is in step with the water frame outside the water rows: the water pass copies
  // each water row into Frame while the row is still in the cache.
  mirrorTo_ = incremental ? &Frame : nullptr;
  waterMirrored_ = false;
  RenderWater(dt);
  mirrorTo_ = nullptr;

  // The water rows change in every frame; a composed frame also where the overlays of the
  // last frame are put back and where this frame's overlays draw (both kept boxes).
  ++frameNumber_;
  const Bitmap32* target = &GetFrame();
  changed_.Reset(target->Height());
  if (changeAll_ || target != lastTarget_ || (composed && !incremental)) {
    changed_.MarkAll();
  } else {
    int32_t top = 0, bottom = -1;
    WaterRows(top, bottom);
    changed_.Mark(top, bottom);
    if (composed) under_.MarkRows(changed_);
  }
  changeAll_ = false;
  lastTarget_ = target;
  if (!composed) return;

  // The water frame, then everything drawn over it.
  RestoreFrame(incremental);

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
      Snow->Under = &under_;
      Snow->Animate();
    } else if (Rain) {
      Rain->FrameTime = frameTime;
      Rain->Speed = Speed;
      Rain->SpeedIndex = weather.SpeedIndex;
      Rain->LengthFactor = weather.StreakLength;
      Rain->Opacity = weather.Opacity;
      Rain->Angle = 180 - weather.SizeOrWind;
      Rain->Under = &under_;
      Rain->Animate();
    }
  }

  if (ShowClock) {
    // What CaptureBackground, Render and CopyTo would give, without the face's copies.
    const TPoint p = Clock.Origin(Frame.Width(), Frame.Height());
    Clock.DrawOver(Frame, p.X, p.Y, &under_);
  }
  if (!changed_.All()) under_.MarkRows(changed_);
}

void TAnimEngine::WaterRows(int32_t& top, int32_t& bottom) const {
  top = WaterFrame.Height();
  bottom = -1;
  for (size_t k = 0; k < RegionTop.size(); ++k) {
    if (RegionTop[k] > RegionBottom[k]) continue;
    top = std::min(top, RegionTop[k]);
    bottom = std::max(bottom, RegionBottom[k]);
  }
  top = std::max(top, 0);
  bottom = std::min(bottom, WaterFrame.Height() - 1);
}

void TAnimEngine::RestoreFrame(bool incremental) {
  const int w = WaterFrame.Width();
  const int h = WaterFrame.Height();
  if (Frame.Width() != w || Frame.Height() != h) {
    Frame.SetSize(w, h);
    incremental = false;
  }
  int32_t top = 0, bottom = -1;
  WaterRows(top, bottom);
  if (!incremental) {
    under_.Clear();
    std::memcpy(Frame.Data(), WaterFrame.Data(), WaterFrame.PixelCount() * sizeof(uint32_t));
  } else {
    // The water rows, unless the water pass copied them already; then what the overlays
    // drew over the other rows.
    if (!waterMirrored_ && top <= bottom) {
      std::memcpy(Frame.Row(top), WaterFrame.Row(top), static_cast<size_t>(bottom - top + 1) * w * sizeof(uint32_t));
    }
    under_.Restore();
  }
  frameInStep_ = true;
  // Objects are not kept: with objects the frame is copied whole every time.
  if (IncrementalRestore && !HasObjects()) {
    under_.Begin(Frame, top, bottom);
  } else {
    under_.Stop();
  }
}

void TAnimEngine::Reset() {
  if (Picture == nullptr) return;
  frameInStep_ = false;
  changeAll_ = true;
  WaterFrame = *Picture;
  UseReflection = AnyReflection();
  if (UseReflection) BuildReflection();
}

}  // namespace kx
