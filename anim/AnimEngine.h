#pragma once
// TAnimEngine: turns a loaded scene into a stream of frames.
//
// Each frame is composed in this order: the water pass rewrites the water rows of
// WaterFrame; when anything is drawn over the water (weather on, objects, or the clock), the
// water frame is copied into Frame and the objects, then rain or snow, then the clock are
// drawn into it. GetFrame names the bitmap to present.
//
// The copy into Frame is whole only when it must be (the first frame, objects, a new size).
// Otherwise Frame already equals WaterFrame except in the water rows and under what was
// drawn over it last time: the water pass copies each water row into Frame as soon as the
// row is finished (while it is still in the cache), and the weather and the clock keep the
// pixels under them before they draw (TSaveUnder), which are put back first. The frames
// are the same as with a whole copy.
//
// Water. The picture's water regions (up to six, from the scene's mask) are displaced row
// by row with a cosine wave whose phase advances with the frame time. Per region, its wave
// record says how: Amplitude (pixels), Waves and Period (frequency; the phase argument
// wraps at Period degrees), Speed (phase degrees per 50 ms), Style (direction of the phase
// and shape of the front: 0 and 1 flat rows, 2 to 5 slanted), Sway (rows also shift
// sideways), Perspective (flat at the region's top, full height at its bottom), Jitter
// (a static random row offset per column), Animated and Reflection (the region shows the
// picture above it mirrored). A water pixel is only ever copied from a pixel of its own
// region, so land never leaks into water; pixels the wave cannot fill keep what an earlier
// frame left there, because the water frame is never cleared.
//
// Rounding: reals become whole numbers with halves to even; integer division truncates and
// the remainder keeps the sign of the dividend.
//
// Time comes from the clock service only: every RenderFrame measures the milliseconds
// since the previous one, so water and weather keep their speed when frames are slow, and
// a test drives time with a fake clock.
//
// Use, for every scene (all on the render thread): SetProject, SetWeather(false), Start,
// SetWeather(kind > 0), then RenderFrame and GetFrame once per frame. The project (and
// the objects) are not owned and must outlive their use; after the project is reloaded, its
// bitmaps and records are new and SetProject must be called again before the next Start.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "anim/AnimObjects.h"
#include "anim/Canvas.h"
#include "anim/ClockOverlay.h"
#include "anim/Rain.h"
#include "anim/SaveUnder.h"
#include "anim/Snow.h"
#include "imaging/Bitmap32.h"
#include "imaging/ChangedRows.h"
#include "platform/Clock.h"
#include "scene/Project.h"
#include "scene/SceneRecords.h"

namespace kx {

class TAnimEngine {
 public:
  // Create: the frames, the clock overlay and the cosine table. `clock` gives the tick and
  // the clock's local time; it must outlive the engine.
  explicit TAnimEngine(kx::Clock& clock = DefaultClock());
  ~TAnimEngine();  // Destroy: frees what the engine owns, never the project
  TAnimEngine(const TAnimEngine&) = delete;
  TAnimEngine& operator=(const TAnimEngine&) = delete;

  // Takes the project's picture, mask, wave records and speed, and the scene's objects
  // (null or an empty list: none).
  void SetProject(TProject& project, TAnimObjects* objects = nullptr);
  // Drops the current rain or snow; when `on`, creates the one the project's weather kind
  // asks for (1 snow, 2 rain), with the weather's count (at most 1000), scattered.
  void SetWeather(bool on);
  // Prepares the scene: frames, clock size, region map, reflections, column offsets, phases
  // at 0, the random generator seeded from the clock; starts the objects; renders one frame
  // and puts the plain picture back into WaterFrame, so the first presented frame starts
  // from it.
  void Start();
  // Renders the next frame.
  void RenderFrame();
  // Frame when weather is on, the scene has objects or the clock is shown; else WaterFrame.
  Bitmap32& GetFrame();
  // The rows of GetFrame() that differ from what it held after the frame before (every row
  // after Start, Reset, a new project or weather, a whole copy, or when objects are drawn).
  const ChangedRows& Changed() const { return changed_; }
  // The frames rendered so far, Start's included. A frame's Changed() is relative to the
  // frame numbered one less.
  uint64_t FrameNumber() const { return frameNumber_; }
  // Copies the plain picture into WaterFrame again and, with reflections, rebuilds the
  // reflected picture.
  void Reset();

  // The water pass, in the order Start uses them.
  void BuildReflection();
  void BuildRegionMap();
  void BuildColumnOffsets();
  // Renders every row of WaterFrame, then advances the phases by `dtMs` worth of motion.
  void RenderWater(uint32_t dtMs);

  // Weather on, objects, or the clock: the frame is composed in Frame.
  bool DrawsOverWater() const;
  bool HasObjects() const { return Objects != nullptr && Objects->Count() > 0; }
  // Any of the eight wave records asks for a reflection.
  bool AnyReflection() const;

  // The current scene (not owned).
  TProject* Project = nullptr;
  const Bitmap32* Picture = nullptr;
  const Bitmap32* WaterMask = nullptr;
  std::array<TWaveParam*, kWaveParamCount> WaveParams{};
  int32_t Speed = 100;  // animation speed, percent
  TAnimObjects* Objects = nullptr;

  // Owned.
  Bitmap32 WaterFrame;        // result of the water pass
  Bitmap32 Frame;             // composed frame when anything is drawn over the water
  Bitmap32 ReflectedPicture;  // the picture with its reflecting regions mirrored
  std::unique_ptr<TSnow> Snow;
  std::unique_ptr<TRain> Rain;
  bool WeatherOn = false;
  TClock Clock;
  bool ShowClock = false;  // set by the saver window from the user settings
  uint32_t LastTick = 0;   // clock tick of the previous frame, ms
  std::array<double, 361> CosTable{};  // cos of 0 .. 360 whole degrees

  // Water data of the current scene. Region k (0 .. 7) is mask region k + 1.
  std::vector<int16_t> RegionMap;  // W x H, rows top first: k of each pixel, -1 dry land
  // Per row of RegionMap, built with it: k when every pixel of the row is region k (the
  // water pass then reads no map entries for it), else -2.
  std::vector<int16_t> RowRegion;
  std::array<int32_t, kWaveParamCount> RegionTop{};     // first row of k, 50000 when none
  std::array<int32_t, kWaveParamCount> RegionBottom{};  // last row of k, 0 when none
  std::array<std::vector<int32_t>, kWaveParamCount> ColumnOffset;  // W per k, 0 .. Jitter - 1
  std::array<int32_t, kWaveParamCount> Phase{};                    // degrees
  bool UseReflection = false;  // the water's source picture is ReflectedPicture
  // Frame is brought back to WaterFrame before each composition. With this on, only what can
  // differ is put back once Frame is in step: the water rows (copied by the water pass as
  // it goes) and the pixels under what the weather and the clock drew into the last frame
  // (kept before they drew). Off, the whole frame is copied every time.
  bool IncrementalRestore = true;

 private:
  // The project's mask at the picture's size (fitted by nearest neighbour when they differ).
  const Bitmap32& FittedMask();
  // Checks that the water data fit the frames; false when rendering would read past them.
  bool WaterReady() const;
  // Brings Frame back to WaterFrame before the overlays of a new frame are drawn: the whole
  // frame, or (incremental) the water rows and the boxes the overlays kept.
  void RestoreFrame(bool incremental);
  // The first and last row any water region has (top > bottom: none).
  void WaterRows(int32_t& top, int32_t& bottom) const;
  // Frame equals WaterFrame outside the water rows and the boxes kept in under_.
  bool frameInStep_ = false;
  TSaveUnder under_;
  // Set by RenderFrame for one water pass: the bitmap each finished water row is copied
  // into, and whether the pass did so for every row from the first water row to the last.
  Bitmap32* mirrorTo_ = nullptr;
  bool waterMirrored_ = false;
  // What the last RenderFrame changed; the next one changes every row when this is set.
  ChangedRows changed_;
  bool changeAll_ = true;
  const Bitmap32* lastTarget_ = nullptr;  // GetFrame() of the last RenderFrame
  uint64_t frameNumber_ = 0;

  kx::Clock& clock_;
  Bitmap32 fittedMask_;
  // Row starts, rebuilt at the start of every water pass.
  std::vector<const int16_t*> mapRows_;
  std::vector<const uint32_t*> sourceRows_;
  std::vector<uint32_t*> frameRows_;
};

}  // namespace kx
