#pragma once
// The scene being made: its picture, its water mask and its settings, with the history of
// every change, and how it is made from a photo, opened from and saved to a scene package.
//
// The picture never changes once the document holds it. It is kept twice: decoded, and as
// the JPEG file that a saved package carries (a new scene's photo is fitted to at most
// 1920 x 1080 and encoded once; an opened package keeps its own JPEG), so saving again
// never loses quality.
//
// History. Every change is one step that undo takes back whole: a brush stroke from press to
// release, one polygon, one line fill, one colour fill, one settings edit. A mask step keeps
// the box of the pixels it changed, before and after; a settings step keeps the settings
// before and after. A new step drops the steps that were undone.
//
// Saving writes the package into a temporary file beside the target and renames it over the
// target, so a failed save leaves what was on disk as it was.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"
#include "kxscene/MaskTools.h"
#include "kxscene/SceneSettings.h"

namespace kx::kxscene {

inline constexpr int kMaxSceneWidth = 1920;
inline constexpr int kMaxSceneHeight = 1080;
inline constexpr int kThumbnailWidth = 160;
inline constexpr int kThumbnailHeight = 120;
inline constexpr int kSceneJpegQuality = 92;

class SceneDocument {
 public:
  // Starts a new scene from a photo of any kind the show decodes. False with the reason.
  bool NewFromPhoto(const std::string& path, std::string& error);
  // Starts a new scene from a decoded picture (fitted and stored as JPEG as above).
  bool NewFromPicture(const Bitmap32& photo, std::string& error);
  // Opens a scene package. False with the reason; the document is then unchanged.
  bool Open(const std::string& path, std::string& error);
  // Saves as a scene package. On success the document takes `path` and counts as saved.
  bool Save(const std::string& path, std::string& error);

  bool HasPicture() const { return !picture_.Empty(); }
  const Bitmap32& Picture() const { return picture_; }
  const Bitmap32& Mask() const { return mask_; }
  const SceneSettings& Settings() const { return settings_; }
  const std::string& Path() const { return path_; }
  bool Modified() const { return savedAt_ != position_ || savedAtLost_; }

  // A mask step: `edit` changes the mask and returns the box it wrote. Strokes add to the
  // open step until EndStroke, so a whole stroke is undone at once.
  MaskBox EditMask(const std::function<MaskBox(Bitmap32&)>& edit);
  void EndStroke();
  // A settings step; nothing is recorded when `settings` equals the present ones.
  void SetSettings(const SceneSettings& settings);

  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ < steps_.size(); }
  // Undo and Redo give the box of the mask they changed (empty for a settings step).
  MaskBox Undo();
  MaskBox Redo();

  // The package as it would be saved.
  std::vector<uint8_t> PackageBytes(std::string& error) const;

 private:
  struct Step {
    bool mask = false;
    MaskBox box;
    std::vector<uint32_t> before, after;  // the box's pixels, rows top first
    SceneSettings settingsBefore, settingsAfter;
  };
  void Push(Step step);
  std::vector<uint32_t> CopyBox(const MaskBox& box) const;
  void PasteBox(const MaskBox& box, const std::vector<uint32_t>& pixels);
  void Adopt(Bitmap32 picture, std::vector<uint8_t> jpeg, Bitmap32 mask, SceneSettings settings,
             std::string path);

  Bitmap32 picture_;
  std::vector<uint8_t> pictureJpeg_;
  Bitmap32 mask_;
  SceneSettings settings_;
  std::string path_;

  std::vector<Step> steps_;
  size_t position_ = 0;      // steps_[0 .. position_) are done
  size_t savedAt_ = 0;       // position_ when last saved or opened
  bool savedAtLost_ = false; // the saved state's step was dropped by a new step
  // The open stroke: the whole mask as it was when the stroke began, and what it touched.
  bool strokeOpen_ = false;
  Bitmap32 strokeStart_;
  MaskBox strokeBox_;
};

// The part of a scene package file that holds the picture's JPEG file (field 8), read by
// walking the fields before it. False when the file is not a package or ends early.
bool ReadPackagePictureJpeg(const std::string& path, std::vector<uint8_t>& jpeg, std::string& error);

}  // namespace kx::kxscene
