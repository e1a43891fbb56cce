#pragma once
// TProject: one scene in memory, filled from a scene package and read by the animation
// engine, the weather, the water and the scene sound schedule.
//
// The bitmaps and parameter records are owned through pointers because the engine keeps
// pointers to them: a change made by Resize reaches the engine, and after every reload (which
// makes new ones) the engine must be given the project again. Clear frees them and leaves the
// pointers empty; Reset makes new, empty ones.
//
// Every reload starts afresh: the picture, thumbnail, mask, waves, weather, sound slots and
// object list of the previous scene are gone. Title and ExtraText change only when a load
// reaches them, so the thumbnail grid keeps showing the previous title for a package whose
// header cannot be read.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/Bitmap32.h"
#include "scene/ExtraInfo.h"
#include "scene/SceneRecords.h"

namespace kx {

class MessageBoxService;

class TProject {
 public:
  // `messages` shows the error box of LoadThumbnail; it may be null (no box), and must
  // outlive the project.
  explicit TProject(MessageBoxService* messages = nullptr);  // Create
  ~TProject();                                               // Destroy
  TProject(const TProject&) = delete;
  TProject& operator=(const TProject&) = delete;

  void Reset();
  void Clear();

  // Reads the whole package. False on any fault (no message); what was handed over before
  // the fault stays. LastError() then tells what went wrong.
  bool LoadFromFile(const std::string& fileName);
  // Reads title, extra text and thumbnail only. On a fault shows an error box with
  // "File: " + name + CR LF + the error's message and returns false.
  bool LoadThumbnail(const std::string& fileName);

  void SetSpeed(int32_t percent) { Speed = percent; }
  // The index of the first empty sound slot, or 8 when all hold a name.
  int SoundCount() const;
  // Wave record i, 0 .. 7 (null after Clear, or for another i).
  TWaveParam* WaveParam(int i);
  // Fits the scene to a display size: with `proportional` the aspect ratio is kept inside
  // width x height. Amplitude scales with the width, Jitter with the height. The picture is
  // resampled bilinearly, the mask by nearest neighbour so every pixel keeps its region.
  // PictureWidth and PictureHeight keep the design size. An empty picture or a target size
  // below 1 leaves the project as it is.
  void Resize(bool proportional, int width, int height);

  void SetMessageBox(MessageBoxService* messages) { messages_ = messages; }
  const std::string& LastError() const { return lastError_; }

  std::string FileName;
  std::unique_ptr<Bitmap32> Picture;
  std::unique_ptr<Bitmap32> Thumbnail;
  std::unique_ptr<Bitmap32> WaterMask;  // pixels hold region values (WaterMask.h)
  std::array<std::unique_ptr<TWaveParam>, kWaveParamCount> WaveParams;
  std::unique_ptr<TWeatherParam> Weather;
  std::string Title;
  std::string ExtraText;
  int32_t PictureWidth = 0;   // size of Picture as decoded: the objects' design space
  int32_t PictureHeight = 0;
  int32_t Speed = 100;        // animation speed, percent
  std::string LegacySound;    // empty after loading
  std::array<TSoundSlot, kSoundSlotCount> Sounds{};
  // The object list text of the package (INI text; "Text" values still encoded). The
  // animated objects are built from it by the animation subsystem.
  std::string ObjectListText;
  std::unique_ptr<TExtraInfo> ExtraInfo;

 private:
  MessageBoxService* messages_ = nullptr;
  std::string lastError_;
};

}  // namespace kx
