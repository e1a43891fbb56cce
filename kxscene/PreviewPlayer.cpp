#include "kxscene/PreviewPlayer.h"

#include <algorithm>

#include "kxscene/SceneDocument.h"

namespace kx::kxscene {

PreviewPlayer::PreviewPlayer(Clock& clock, TTextPainter* textPainter)
    : clock_(clock), textPainter_(textPainter), engine_(clock) {}

PreviewPlayer::~PreviewPlayer() { objects_.reset(); }

void PreviewPlayer::LoadObjects(const SceneSettings& settings) {
  objects_.reset();  // stops the workers of the previous objects
  if (settings.objects.empty()) return;
  objects_ = std::make_unique<TAnimObjects>(TObjectServices{&clock_, textPainter_, "", true});
  objects_->LoadFromText(ObjectListText(settings.objects));
  if (!mediaFolder_.empty()) objects_->ResolveFiles(mediaFolder_);
}

void PreviewPlayer::Load(const SceneDocument& document) {
  loaded_ = document.HasPicture();
  *project_.Picture = document.Picture();
  *project_.WaterMask = document.Mask();
  project_.PictureWidth = document.Picture().Width();
  project_.PictureHeight = document.Picture().Height();
  shown_ = document.Settings();
  for (int k = 0; k < kWaveParamCount; ++k) *project_.WaveParams[static_cast<size_t>(k)] = shown_.waves[static_cast<size_t>(k)];
  *project_.Weather = shown_.weather;
  project_.Title = shown_.title;
  Restart();
}

void PreviewPlayer::Restart() {
  LoadObjects(shown_);
  engine_.SetProject(project_, objects_.get());
  engine_.SetWeather(false);
  if (!loaded_) return;
  engine_.Start();
  engine_.SetWeather(project_.Weather->Kind > 0);
}

void PreviewPlayer::MaskChanged(const SceneDocument& document, const MaskBox& box) {
  if (!loaded_ || box.Empty()) return;
  const Bitmap32& mask = document.Mask();
  if (mask.Width() != project_.WaterMask->Width() || mask.Height() != project_.WaterMask->Height()) return Load(document);
  const size_t w = static_cast<size_t>(box.Right - box.Left);
  for (int y = box.Top; y < box.Bottom; ++y) std::copy_n(mask.Row(y) + box.Left, w, project_.WaterMask->Row(y) + box.Left);
  engine_.BuildRegionMap();
  engine_.BuildColumnOffsets();
  engine_.Reset();
}

void PreviewPlayer::SettingsChanged(const SceneDocument& document) {
  if (!loaded_) return;
  const SceneSettings& next = document.Settings();
  if (next == shown_) return;
  const bool wavesChanged = next.waves != shown_.waves;
  const TWeatherParam& w0 = shown_.weather;
  const TWeatherParam& w1 = next.weather;
  const bool restart = next.objects != shown_.objects || w0.Kind != w1.Kind || w0.Count != w1.Count;
  const bool newWeather = w0 != w1;
  shown_ = next;
  for (int k = 0; k < kWaveParamCount; ++k) *project_.WaveParams[static_cast<size_t>(k)] = shown_.waves[static_cast<size_t>(k)];
  *project_.Weather = shown_.weather;
  project_.Title = shown_.title;
  if (restart) return Restart();
  if (newWeather) engine_.SetWeather(w1.Kind > 0);
  if (wavesChanged) {
    // Jitter sets the column offsets; Reflection the mirrored source picture.
    engine_.BuildColumnOffsets();
    engine_.Reset();
  }
}

void PreviewPlayer::SetShowClock(bool on) {
  if (engine_.ShowClock == on) return;
  engine_.ShowClock = on;
  Restart();
}

const Bitmap32& PreviewPlayer::Frame() {
  if (!loaded_) return empty_;
  if (playing_) engine_.RenderFrame();
  return engine_.GetFrame();
}

}  // namespace kx::kxscene
