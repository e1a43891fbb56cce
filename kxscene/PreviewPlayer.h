#pragma once
// The live preview: the show's own animation engine playing the scene being made.
//
// The player keeps a scene project of its own, filled from the document: a copy of the
// picture and the mask, the wave records, the weather and the objects. Changes reach the
// engine at once and without restarting the scene, so the water keeps moving while the user
// paints: a mask change copies the changed box and rebuilds the engine's region map (and
// puts the plain picture back, since the water frame keeps whatever an earlier frame left
// in pixels that are no longer water); a settings change copies the records, which the
// engine reads through pointers, and rebuilds only what depends on them. The scene starts
// afresh only when the picture, the weather kind or count, the objects or the clock change.
//
// Frames: Frame() renders the next frame unless paused, and gives the bitmap to show.
#include <memory>

#include "anim/AnimEngine.h"
#include "anim/AnimObjects.h"
#include "anim/TextPainter.h"
#include "kxscene/MaskTools.h"
#include "kxscene/SceneSettings.h"
#include "platform/Clock.h"
#include "scene/Project.h"

namespace kx::kxscene {

class SceneDocument;

class PreviewPlayer {
 public:
  // `clock` and `textPainter` (null: text objects draw nothing) must outlive the player.
  explicit PreviewPlayer(Clock& clock = DefaultClock(), TTextPainter* textPainter = nullptr);
  ~PreviewPlayer();

  // Takes the whole document (a new or opened scene) and starts it.
  void Load(const SceneDocument& document);
  // The mask changed inside `box`.
  void MaskChanged(const SceneDocument& document, const MaskBox& box);
  // The settings may have changed.
  void SettingsChanged(const SceneDocument& document);

  void SetPlaying(bool playing) { playing_ = playing; }
  bool Playing() const { return playing_; }
  void SetShowClock(bool on);
  bool ShowClock() const { return engine_.ShowClock; }
  // Where media named by objects and sounds are looked for, with a trailing '/'.
  void SetMediaFolder(const std::string& folder) { mediaFolder_ = folder; }

  // Renders the next frame (when playing) and returns the frame to show; an empty bitmap
  // when there is no scene.
  const Bitmap32& Frame();

  TAnimEngine& Engine() { return engine_; }
  TProject& Project() { return project_; }

 private:
  void Restart();
  void LoadObjects(const SceneSettings& settings);

  Clock& clock_;
  TTextPainter* textPainter_;
  TProject project_;
  std::unique_ptr<TAnimObjects> objects_;
  TAnimEngine engine_;
  SceneSettings shown_;  // the settings the engine plays now
  std::string mediaFolder_;
  bool playing_ = true;
  bool loaded_ = false;
  Bitmap32 empty_;
};

}  // namespace kx::kxscene
