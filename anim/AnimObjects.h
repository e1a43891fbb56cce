#pragma once
// The animated objects of a scene: texts, still images and animated GIF images that appear
// after a delay, stay for a while, move over the picture, fade in and out, face their
// direction, leave the screen and come back.
//
// Coordinates are design coordinates: pixels of the scene picture as stored in its package
// (DesignWidth x DesignHeight). An object's position (X, Y) is the centre of its image; the
// engine's frame may be larger or smaller, and ScaleX, ScaleY carry design pixels to frame
// pixels.
//
// The engine uses an object in exactly two ways:
// - when a scene starts, with the object stopped: it sets FrameRect (0, 0, frame width,
//   frame height) and the design size, then calls Start() (Stop, Prepare, Resume);
// - once per frame, in list order: Draw(frame), which draws the object when it is visible.
//
// Threads. Each object moves on a worker of its own (TObjectThread): one Step(), then 5 ms of
// rest, until it is told to end. Step() holds the object's state lock for the whole step, and
// Draw() takes the same lock only to copy what it draws (TObjectSnapshot), so the renderer
// always sees the position, visibility, facing and alpha of one step, never half of one.
// Stop() returns only after the step in progress has finished, so an object is paused between
// two steps, never inside one. Everything else (loading, Prepare, Stop, Resume, Draw, the
// fields the engine writes) belongs to the window thread and happens while the worker is
// paused or only reads what the worker never writes (the loaded image).
//
// Randomness. Every object keeps its own generator state (RandomState), swapped into the
// thread's RandomSeed for the length of Prepare or a step, so objects never disturb the
// window thread's repeatable patterns, and an object behaves the same whether its steps run
// on its worker or are driven one by one (tests, headless rendering).
//
// Virtual operations, in their fixed order: Prepare, Stop, SaveToText, LoadCommonKeys; then
// the engine's Resume and Draw; each kind adds LoadFromText (TextObject.h, ImageObject.h,
// GifObject.h). Kinds are made by TAnimObjects from their "ObjType"; C++ has no virtual
// constructor, so "create" is the constructor of each kind.
//
// Rounding: reals become whole numbers with halves to even; div truncates toward zero.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/Bitmap32.h"

namespace kx {

class Clock;
class IniSections;
class TObjectThread;
class TTextPainter;

// A rectangle covering columns Left .. Right - 1 and rows Top .. Bottom - 1.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  bool operator==(const TRect&) const = default;
};

// What objects need from their surroundings. Copied into every object the list makes.
struct TObjectServices {
  Clock* clock = nullptr;               // the millisecond tick; null: the process clock
  TTextPainter* textPainter = nullptr;  // draws text; null: text objects draw nothing
  std::string commonFolder;             // shared media folder with a trailing '/'; "" none
  bool workers = true;                  // false: no threads; a driver calls Step()
};

// The drawn state of an object as one step left it.
struct TObjectSnapshot {
  bool Visible = false;
  double X = 0, Y = 0;  // the design position the screen position was computed from
  int32_t ScreenLeft = 0;
  int32_t ScreenTop = 0;
  TRect DrawRect;
  bool Flipped = false;
  int32_t Alpha = 255;  // 0 .. 255
};

// "OffScreenOpt" flags: the edges through which an object may leave.
inline constexpr uint8_t kOffScreenTop = 1;
inline constexpr uint8_t kOffScreenBottom = 2;
inline constexpr uint8_t kOffScreenLeft = 4;
inline constexpr uint8_t kOffScreenRight = 8;

class TAnimObject {
 public:
  // Creating an object: StepSpeed 100, aimless ranges 500 and 1000, the keys at their
  // defaults, a paused worker (when the services ask for workers), not running.
  explicit TAnimObject(const TObjectServices& services = {});
  // Stops the worker, ends it and waits for it.
  virtual ~TAnimObject();
  TAnimObject(const TAnimObject&) = delete;
  TAnimObject& operator=(const TAnimObject&) = delete;

  // Stops the worker, prepares the object, then lets the worker step again.
  void Start() {
    Stop();
    Prepare();
    Resume();
  }

  // Gets ready to play, with the worker stopped: the shared part resets the timing, the
  // motion bounds, the start position and the motion. Kinds load what they show first.
  virtual void Prepare();
  // Makes the worker stop stepping; returns once no step is running.
  virtual void Stop();
  // This object's section ("[Obj<Index>]") with every key it keeps, as CR LF lines.
  virtual std::string SaveToText();
  // Reads the keys every kind shares from section "Obj" + Index of `keys`.
  virtual void LoadCommonKeys(const IniSections& keys);
  // Lets the worker step again.
  virtual void Resume();
  // Draws the object into `frame` when it is visible.
  virtual void Draw(Bitmap32& frame) = 0;

  // One step of the worker: appearance, display timing and fades, redisplay, the bouncing
  // and aimless states, the position by Motion, the facing. Does nothing before the object
  // has been prepared. Tests and headless rendering call it directly (workers off).
  void Step();
  // Motion back to its start: directions, scale, position, StepSpeed.
  void ResetMotion();
  // The drawn state, read under the state lock.
  TObjectSnapshot Snapshot() const;
  // The worker (null when the services ask for none, or when no thread could be made).
  TObjectThread* Worker() const { return worker_.get(); }
  // True once Prepare has run to its end (image kinds: the image was found and decoded).
  bool Prepared() const { return prepared_; }

  // The alpha that "Opacity" gives: round(Opacity x 2550 / 100), within 0 .. 255.
  int32_t OpacityAlpha() const;

  // ---- State (see the top of this file for who writes what) ----
  double X = 0, Y = 0;  // centre, design coordinates
  int32_t StepCount = 0;
  double BounceX = 0;
  int32_t DirX = 0;
  double BounceY = 0;
  int32_t DirY = 0;
  int32_t AimlessRangeX = 500, AimlessRangeY = 1000;
  int32_t StoredWidth = 0, StoredHeight = 0;  // "Width", "Height": kept, not used
  int32_t DesignWidth = 0, DesignHeight = 0;  // the scene's picture size in its package
  double ScaleX = 1, ScaleY = 1;              // frame pixels per design pixel
  bool Scaled = true;                         // "Scaled": objects always scale
  int32_t StepSpeed = 100;                    // "Speed" until Prepare, then MotionSpeed x 10
  TRect MoveArea;                             // "MoveAreaRect*", design coordinates
  int32_t MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;  // bounds of the centre
  TRect FrameRect;                            // (0, 0, frame width, frame height)
  uint8_t Motion = 0;
  int32_t ObjWidth = 0, ObjHeight = 0;        // image size in pixels (0 for texts)
  int32_t PosTop = 100, PosLeft = 100;
  uint8_t ObjFacing = 1;
  int32_t DisplaySec = 0;
  uint8_t DisplayDurationType = 0;  // 0 stays, 1 DisplayDurationSec seconds, 2 until it leaves
  int32_t DisplayDurationSec = 60;
  int32_t DisplayDurationCycle = 10;  // kept, not used
  int32_t MotionSpeed = 10;
  uint8_t MotionAreaType = 0;  // 0 the whole picture, 1 MoveArea
  int32_t Opacity = 10;        // tenths
  uint8_t InitialPos = 0;      // kept for the scene editor, not used
  uint8_t InitialDir = 0;
  bool DirFlip = false;
  int32_t Index = 0;  // position in the list; names the object's section
  uint8_t PosTopType = 0, PosLeftType = 0;
  bool Flipped = false;  // drawn mirrored left to right
  bool Visible = false;
  std::atomic<bool> Running{false};
  double AimlessX = 0, AimlessY = 0;
  int32_t AimlessDirX = 0, AimlessDirY = 0;
  int32_t AimlessSteps = 0, AimlessStepLimit = 0;
  bool Redisplay = true, ResetPos = true;
  int64_t CycleStart = 0;  // tick at which the display cycle began; -1: finished for good
  bool RestrictArea = true;
  int32_t WrapDirX = 0, WrapDirY = 0;
  int32_t HeightSize = 100, WidthSize = 100;  // percent
  int32_t RedisplayTimes = 0;                 // kept, not used
  int32_t RedisplayDelay = 30;                // seconds
  uint8_t OffScreenOpt = kOffScreenTop | kOffScreenBottom | kOffScreenLeft | kOffScreenRight;
  bool OffScreenHit = false;
  int32_t CurrentDelay = 0;  // seconds from CycleStart to appearance
  uint8_t AppearEffect = 0;
  int32_t AppearEffectDur = 2;
  uint8_t DisappearEffect = 0;
  int32_t DisappearEffectDur = 2;
  int32_t ScreenLeft = 0, ScreenTop = 0;  // frame position of the image's top-left corner
  int32_t Alpha = 255;                    // drawn alpha: the text alpha or the image's overall
  uint32_t RandomState = 0;               // this object's generator state

  // The draw rectangle in frame pixels (from ScreenLeft, ScreenTop, the image size, the
  // scale and the size percentages).
  TRect DrawRect() const;
  // Sets X and Y and recomputes the screen position.
  void SetPosition(double x, double y);

 protected:
  // Ends the worker; every kind's destructor calls it first, so that no step runs while the
  // kind's own parts are taken apart.
  void EndWorker();
  Clock& clock() const { return *clock_; }
  const TObjectServices& services() const { return services_; }
  std::mutex& stateMutex() const { return stateMutex_; }
  // The common keys as CR LF lines, in the order a scene editor writes them.
  std::string CommonKeysText() const;
  // Marks the shared preparation undone (a kind whose image is missing).
  void SetUnprepared() { prepared_ = false; }

 private:
  void StepLocked();
  void ResetMotionLocked();
  void UpdateStates();
  void PlaceByMotion();
  void UpdateFacing(int32_t oldLeft);
  void UpdateScreenPosition();
  bool OffScreenX(double x, int32_t dir) const;
  bool OffScreenY(double y, int32_t dir) const;

  TObjectServices services_;
  Clock* clock_;
  mutable std::mutex stateMutex_;
  std::unique_ptr<TObjectThread> worker_;
  bool prepared_ = false;
};

// How "PosLeftType" and "PosTopType" choose a start coordinate, given the key's value `keep`,
// the bounds and `r`, a random value from min to max - 1 (used by types 4 and 5):
// 0 keep; 1 min; 2 max; 3 the middle; 4 r; 5 off screen on the nearer side, min - r when r
// lies left of the middle, else 2 x max - r. Other types keep the value.
int32_t StartCoordinate(uint8_t type, int32_t keep, int32_t min, int32_t max, int32_t r);

// The fade alpha after t of d seconds: round(level x 255 / 100) with
// level = round(t x 100 x (opacity / 10) / (d x 1000)), t in ms, clamped to 0 .. 255.
// A fade time d of 0 or less gives the full opacity at once.
int32_t FadeAlpha(int64_t tMs, int32_t durationSec, int32_t opacity);

class TAnimObjects {
 public:
  explicit TAnimObjects(TObjectServices services = {});
  ~TAnimObjects();
  TAnimObjects(const TAnimObjects&) = delete;
  TAnimObjects& operator=(const TAnimObjects&) = delete;

  // Appends `object` and sets its Index to its position. Null is ignored.
  void Add(std::unique_ptr<TAnimObject> object);
  // Frees every object: all workers are told to end first, then each is joined.
  void Clear();
  // Clears the list and builds it from a scene's object list text: for n = 0 to 100, section
  // "Obj" + n with "ObjType" exactly "TXT", "IMG" or "GIF" makes a text, image or GIF object;
  // each reads its keys from the section named after its own position in the list.
  void LoadFromText(std::string_view text);
  // Every object's section, in list order.
  std::string SaveToText();
  // For every image and GIF object whose file does not exist: the same file name in
  // `extractionFolder` (trailing '/'), as the show does before it starts a scene. A payload
  // picture found there is written from the payload now (MediaStore.h).
  void ResolveFiles(const std::string& extractionFolder);
  // One step of every running object (for drivers without workers).
  void StepAll();

  int Count() const { return static_cast<int>(items_.size()); }
  TAnimObject& Item(int i) { return *items_[static_cast<size_t>(i)]; }
  const TAnimObject& Item(int i) const { return *items_[static_cast<size_t>(i)]; }

  const TObjectServices& Services() const { return services_; }
  void SetServices(TObjectServices services) { services_ = std::move(services); }

 private:
  TObjectServices services_;
  std::vector<std::unique_ptr<TAnimObject>> items_;
};

}  // namespace kx
