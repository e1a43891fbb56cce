#include "anim/AnimObjects.h"

#include <algorithm>

#include "anim/FastRound.h"
#include "anim/GifObject.h"
#include "anim/ImageObject.h"
#include "anim/ObjectRandom.h"
#include "anim/ObjectThread.h"
#include "anim/TextObject.h"
#include "imaging/PictureCodec.h"
#include "base/Random.h"
#include "payload/MediaStore.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "scene/IniSections.h"

namespace kx {

namespace {

constexpr int kLastObjectSection = 100;

// Keys whose values are bytes: a value outside 0 .. 255 is as unreadable as a word.
uint8_t ReadByte(const IniSections& keys, const std::string& section, const char* key, uint8_t fallback) {
  const int32_t v = keys.ReadInteger(section, key, fallback);
  return v >= 0 && v <= 255 ? static_cast<uint8_t>(v) : fallback;
}

uint8_t ParseOffScreenOpt(const std::string& letters) {
  uint8_t flags = 0;
  for (const char c : letters) {
    if (c == 'T') flags |= kOffScreenTop;
    if (c == 'B') flags |= kOffScreenBottom;
    if (c == 'L') flags |= kOffScreenLeft;
    if (c == 'R') flags |= kOffScreenRight;
  }
  return flags;
}

std::string OffScreenLetters(uint8_t flags) {
  std::string letters;
  if (flags & kOffScreenTop) letters += 'T';
  if (flags & kOffScreenBottom) letters += 'B';
  if (flags & kOffScreenLeft) letters += 'L';
  if (flags & kOffScreenRight) letters += 'R';
  return letters;
}

void Line(std::string& out, const char* key, int64_t value) {
  out += key;
  out += '=';
  out += std::to_string(value);
  out += "\r\n";
}

int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

// ---- TAnimObject ----

TAnimObject::TAnimObject(const TObjectServices& services)
    : services_(services), clock_(services.clock != nullptr ? services.clock : &DefaultClock()) {
  if (services_.workers) {
    try {
      worker_ = std::make_unique<TObjectThread>([this] { Step(); });
    } catch (...) {
      // No thread to be had: the object stays where it starts.
      worker_.reset();
    }
  }
}

TAnimObject::~TAnimObject() { EndWorker(); }

void TAnimObject::EndWorker() {
  if (!worker_) return;
  worker_->End();
  worker_.reset();
}

void TAnimObject::Stop() {
  Running = false;
  if (worker_) worker_->Pause();
}

void TAnimObject::Resume() {
  Running = true;
  if (worker_) worker_->Resume();
}

int32_t TAnimObject::OpacityAlpha() const {
  return std::clamp(RoundEven(Opacity * 2550.0 / 100.0), 0, 255);
}

int32_t FadeAlpha(int64_t tMs, int32_t durationSec, int32_t opacity) {
  if (durationSec <= 0) return std::clamp(RoundEven(opacity * 2550.0 / 100.0), 0, 255);
  const int32_t level = RoundEven(static_cast<double>(tMs) * 100.0 * (opacity / 10.0) / (durationSec * 1000.0));
  return std::clamp(RoundEven(level * 255.0 / 100.0), 0, 255);
}

int32_t StartCoordinate(uint8_t type, int32_t keep, int32_t min, int32_t max, int32_t r) {
  const int64_t middle = min + (static_cast<int64_t>(max) - min) / 2;
  switch (type) {
    case 1: return min;
    case 2: return max;
    case 3: return Clamp32(middle);
    case 4: return r;
    case 5: return Clamp32(r < middle ? static_cast<int64_t>(min) - r : 2 * static_cast<int64_t>(max) - r);
    default: return keep;
  }
}

void TAnimObject::Prepare() {
  std::lock_guard<std::mutex> lock(stateMutex_);
  const uint32_t now = clock_->TickMs();
  // Objects prepared in the same millisecond still draw different numbers.
  RandomState = now ^ (0x9E3779B9u * static_cast<uint32_t>(Index + 1));
  ObjectRandomScope random(RandomState);

  Alpha = OpacityAlpha();
  CurrentDelay = DisplaySec;
  Visible = DisplaySec == 0;
  CycleStart = now;

  StepCount = 0;
  Flipped = false;
  AimlessSteps = 0;
  AimlessStepLimit = 50 + RandomBelow(300);
  AimlessRangeX = RandomBelow(1000);
  AimlessRangeY = RandomBelow(1000);

  const int64_t hw = ObjWidth / 2, hh = ObjHeight / 2;
  const TRect area = MotionAreaType == 0 ? TRect{0, 0, DesignWidth, DesignHeight} : MoveArea;
  const int64_t growX = RoundEven(hw * WidthSize / 100.0), growY = RoundEven(hh * HeightSize / 100.0);
  if (RestrictArea) {
    MinX = Clamp32(area.Left + hw);
    MinY = Clamp32(area.Top + hh);
    MaxX = Clamp32(area.Right - growX);
    MaxY = Clamp32(area.Bottom - growY);
  } else {
    MinX = Clamp32(area.Left - hw);
    MinY = Clamp32(area.Top - hh);
    MaxX = Clamp32(area.Right + growX);
    MaxY = Clamp32(area.Bottom + growY);
  }

  auto randomBetween = [](int32_t lo, int32_t hi) { return Clamp32(lo + static_cast<int64_t>(RandomBelow(Clamp32(static_cast<int64_t>(hi) - lo)))); };
  if (PosLeftType == 4 || PosLeftType == 5) {
    PosLeft = StartCoordinate(PosLeftType, PosLeft, MinX, MaxX, randomBetween(MinX, MaxX));
  } else {
    PosLeft = StartCoordinate(PosLeftType, PosLeft, MinX, MaxX, 0);
  }
  if (PosTopType == 4 || PosTopType == 5) {
    PosTop = StartCoordinate(PosTopType, PosTop, MinY, MaxY, randomBetween(MinY, MaxY));
  } else {
    PosTop = StartCoordinate(PosTopType, PosTop, MinY, MaxY, 0);
  }

  prepared_ = true;
  ResetMotionLocked();
}

void TAnimObject::ResetMotion() {
  std::lock_guard<std::mutex> lock(stateMutex_);
  ObjectRandomScope random(RandomState);
  ResetMotionLocked();
}

void TAnimObject::ResetMotionLocked() {
  OffScreenHit = false;
  DirX = RandomBelow(2) == 0 ? -1 : 1;
  DirY = RandomBelow(2) == 0 ? -1 : 1;
  switch (InitialDir) {
    case 1: DirX = -1; break;
    case 2: DirX = 1; break;
    case 3: DirY = -1; break;
    case 4: DirY = 1; break;
    case 5: DirX = -1; DirY = -1; break;
    case 6: DirX = 1; DirY = -1; break;
    case 7: DirX = -1; DirY = 1; break;
    case 8: DirX = 1; DirY = 1; break;
    default: break;
  }
  AimlessDirX = WrapDirX = DirX;
  AimlessDirY = WrapDirY = DirY;
  // A scene without a design size (a damaged package) is drawn unscaled.
  ScaleX = DesignWidth > 0 ? static_cast<double>(FrameRect.Right) / DesignWidth : 1.0;
  ScaleY = DesignHeight > 0 ? static_cast<double>(FrameRect.Bottom) / DesignHeight : 1.0;
  X = BounceX = AimlessX = PosLeft;
  Y = BounceY = AimlessY = PosTop;
  UpdateScreenPosition();
  StepSpeed = Clamp32(static_cast<int64_t>(MotionSpeed) * 10);
}

void TAnimObject::SetPosition(double x, double y) {
  X = x;
  Y = y;
  UpdateScreenPosition();
}

void TAnimObject::UpdateScreenPosition() {
  ScreenLeft = RoundEven(ScaleX * (X - ObjWidth / 2.0));
  ScreenTop = RoundEven(ScaleY * (Y - ObjHeight / 2.0));
}

TRect TAnimObject::DrawRect() const {
  return {ScreenLeft, ScreenTop, RoundEven(ScreenLeft + ObjWidth * ScaleX * WidthSize / 100.0),
          RoundEven(ScreenTop + ObjHeight * ScaleY * HeightSize / 100.0)};
}

TObjectSnapshot TAnimObject::Snapshot() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return {Visible, X, Y, ScreenLeft, ScreenTop, DrawRect(), Flipped, Alpha};
}

void TAnimObject::LoadCommonKeys(const IniSections& keys) {
  const std::string s = "Obj" + std::to_string(Index);
  auto integer = [&](const char* key, int32_t fallback) { return keys.ReadInteger(s, key, fallback); };
  auto byte = [&](const char* key, uint8_t fallback) { return ReadByte(keys, s, key, fallback); };
  auto flag = [&](const char* key, bool fallback) { return keys.ReadBool(s, key, fallback); };

  std::lock_guard<std::mutex> lock(stateMutex_);
  StoredWidth = integer("Width", 0);
  StoredHeight = integer("Height", 0);
  Scaled = flag("Scaled", true);
  MoveArea = {integer("MoveAreaRectleft", 0), integer("MoveAreaRecttop", 0), integer("MoveAreaRectright", 0),
              integer("MoveAreaRectbottom", 0)};
  WidthSize = integer("WidthSize", 100);
  HeightSize = integer("HeightSize", 100);
  StepSpeed = integer("Speed", 10);
  InitialPos = byte("InitialPos", 0);
  InitialDir = byte("InitialDir", 0);
  PosLeftType = byte("PosLeftType", 0);
  PosTopType = byte("PosTopType", 0);
  PosLeft = integer("PosLeft", 100);
  PosTop = integer("PosTop", 100);
  ObjFacing = byte("ObjFacing", 1);
  Opacity = integer("Opacity", 10);
  DisplaySec = integer("DisplaySec", 0);
  DisplayDurationType = byte("DisplayDurationType", 0);
  DisplayDurationSec = integer("DisplayDurationSec", 60);
  DisplayDurationCycle = integer("DIsplayDurationCycle", 10);
  Motion = byte("Motion", 0);
  MotionSpeed = integer("MotionSpeed", 10);
  MotionAreaType = byte("MotionAreaType", 0);
  DirFlip = flag("DirFlip", false);
  Redisplay = flag("Redisplay", true);
  RedisplayDelay = integer("RedisplayDelay", 30);
  RedisplayTimes = integer("RedisplayTimes", 0);
  ResetPos = flag("ResetPos", true);
  RestrictArea = flag("RestrictArea", true);
  OffScreenOpt = ParseOffScreenOpt(keys.ReadString(s, "OffScreenOpt", "TBLR"));
  AppearEffect = byte("AppearEffect", 0);
  AppearEffectDur = integer("AppearEffectDur", 2);
  DisappearEffect = byte("DisappearEffect", 0);
  DisappearEffectDur = integer("DisappearEffectDur", 2);
}

std::string TAnimObject::CommonKeysText() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  std::string t;
  Line(t, "Left", ScreenLeft);
  Line(t, "Top", ScreenTop);
  Line(t, "Width", StoredWidth);
  Line(t, "Height", StoredHeight);
  Line(t, "Scaled", Scaled ? 1 : 0);
  Line(t, "MoveAreaRectleft", MoveArea.Left);
  Line(t, "MoveAreaRecttop", MoveArea.Top);
  Line(t, "MoveAreaRectright", MoveArea.Right);
  Line(t, "MoveAreaRectbottom", MoveArea.Bottom);
  Line(t, "WidthSize", WidthSize);
  Line(t, "HeightSize", HeightSize);
  Line(t, "Speed", StepSpeed);
  Line(t, "InitialPos", InitialPos);
  Line(t, "InitialDir", InitialDir);
  Line(t, "PosLeftType", PosLeftType);
  Line(t, "PosTopType", PosTopType);
  Line(t, "PosLeft", PosLeft);
  Line(t, "PosTop", PosTop);
  Line(t, "ObjFacing", ObjFacing);
  Line(t, "Opacity", Opacity);
  Line(t, "DisplaySec", DisplaySec);
  Line(t, "DisplayDurationType", DisplayDurationType);
  Line(t, "DisplayDurationSec", DisplayDurationSec);
  Line(t, "DIsplayDurationCycle", DisplayDurationCycle);
  Line(t, "Motion", Motion);
  Line(t, "MotionSpeed", MotionSpeed);
  Line(t, "MotionAreaType", MotionAreaType);
  Line(t, "DirFlip", DirFlip ? 1 : 0);
  Line(t, "Redisplay", Redisplay ? 1 : 0);
  Line(t, "RedisplayDelay", RedisplayDelay);
  Line(t, "RedisplayTimes", RedisplayTimes);
  Line(t, "ResetPos", ResetPos ? 1 : 0);
  Line(t, "RestrictArea", RestrictArea ? 1 : 0);
  t += "OffScreenOpt=" + OffScreenLetters(OffScreenOpt) + "\r\n";
  Line(t, "AppearEffect", AppearEffect);
  Line(t, "AppearEffectDur", AppearEffectDur);
  Line(t, "DisappearEffect", DisappearEffect);
  Line(t, "DisappearEffectDur", DisappearEffectDur);
  return t;
}

std::string TAnimObject::SaveToText() { return "[Obj" + std::to_string(Index) + "]\r\n" + CommonKeysText(); }

// ---- TAnimObjects ----

TAnimObjects::TAnimObjects(TObjectServices services) : services_(std::move(services)) {}

TAnimObjects::~TAnimObjects() { Clear(); }

void TAnimObjects::Add(std::unique_ptr<TAnimObject> object) {
  if (!object) return;
  object->Index = Count();
  items_.push_back(std::move(object));
}

void TAnimObjects::Clear() {
  // Every worker is told to end first, so that the joins below do not wait one after another.
  for (auto& item : items_) {
    if (TObjectThread* worker = item->Worker()) worker->RequestEnd();
  }
  // Last first, so that no object outlives one added after it.
  while (!items_.empty()) items_.pop_back();
}

void TAnimObjects::LoadFromText(std::string_view text) {
  Clear();
  const IniSections keys(text);
  for (int n = 0; n <= kLastObjectSection; ++n) {
    const auto type = keys.Find("Obj" + std::to_string(n), "ObjType");
    if (!type) continue;
    if (*type == "GIF") {
      auto object = std::make_unique<TGifObject>(services_);
      TGifObject& gif = *object;
      Add(std::move(object));
      gif.LoadFromText(keys);
    } else if (*type == "IMG") {
      auto object = std::make_unique<TImgObject>(services_);
      TImgObject& image = *object;
      Add(std::move(object));
      image.LoadFromText(keys);
    } else if (*type == "TXT") {
      auto object = std::make_unique<TTextObject>(services_);
      TTextObject& textObject = *object;
      Add(std::move(object));
      textObject.LoadFromText(keys);
    }
  }
}

std::string TAnimObjects::SaveToText() {
  std::string text;
  for (auto& item : items_) text += item->SaveToText() + "\r\n";
  return text;
}

void TAnimObjects::ResolveFiles(const std::string& extractionFolder) {
  for (auto& item : items_) {
    auto* image = dynamic_cast<TAnimImgObject*>(item.get());
    if (image == nullptr || image->FileName.empty() || MediaFileExists(image->FileName, kMaxPictureFileBytes))
      continue;
    image->FileName = extractionFolder + FileNamePart(image->FileName);
    // A picture of the payload is written now, before the object's worker loads it.
    MediaFileExists(image->FileName);
  }
}

void TAnimObjects::StepAll() {
  for (auto& item : items_) {
    if (item->Running) item->Step();
  }
}

}  // namespace kx
