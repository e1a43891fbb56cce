#include "anim/ImageObject.h"

#include <algorithm>

#include "anim/ObjectColors.h"
#include "anim/ObjectDrawing.h"
#include "imaging/PictureCodec.h"
#include "payload/MediaStore.h"
#include "platform/Files.h"
#include "scene/IniSections.h"

namespace kx {

namespace {

// Rectangles larger than this are drawn straight from the image instead of a scaled copy.
constexpr int64_t kLargestScaledCopy = 16ll * 1024 * 1024;

bool EndsWithPng(const std::string& name) {
  if (name.size() < 4) return false;
  const std::string tail = name.substr(name.size() - 4);
  return EqualsIgnoreCase(tail, ".png");
}

}  // namespace

// ---- TAnimImgObject ----

std::string TAnimImgObject::CommonImagesFolder() const {
  return services().commonFolder.empty() ? std::string() : services().commonFolder + "images/";
}

void TAnimImgObject::LookUpCommonFolder() {
  // Only a regular picture file counts as found: a name that points at a device, a FIFO or
  // a folder is treated as missing, so reading it can neither block nor run without end.
  if (FileName.empty() || MediaFileExists(FileName, kMaxPictureFileBytes)) return;
  const std::string folder = CommonImagesFolder();
  if (folder.empty()) return;
  const std::string candidate = folder + FileNamePart(FileName);
  if (IsRegularFileUpTo(candidate, kMaxPictureFileBytes)) FileName = candidate;
}

void TAnimImgObject::ReadImageKeys(const IniSections& keys, uint8_t defaultType) {
  const std::string s = "Obj" + std::to_string(Index);
  FileName = keys.ReadString(s, "Filename", "");
  auto byte = [&](const char* key, uint8_t fallback) {
    const int32_t v = keys.ReadInteger(s, key, fallback);
    return v >= 0 && v <= 255 ? static_cast<uint8_t>(v) : fallback;
  };
  Transparent = byte("Transparent", 1);
  TransparentType = byte("TransparentType", defaultType);
  TransparentColor = keys.ReadInteger(s, "TransparentColor", 0);
  LookUpCommonFolder();
}

std::string TAnimImgObject::FileNameText() const {
  const std::string folder = CommonImagesFolder();
  if (!folder.empty() && FileName.size() > folder.size() && FileName.compare(0, folder.size(), folder) == 0 &&
      FileName.find('/', folder.size()) == std::string::npos) {
    return FileName.substr(folder.size());
  }
  return FileName;
}

std::string TAnimImgObject::ImageKeysText(bool withFileName) const {
  std::string t;
  if (withFileName) t += "Filename=" + FileNameText() + "\r\n";
  t += "Transparent=" + std::to_string(Transparent) + "\r\nTransparentType=" + std::to_string(TransparentType) +
       "\r\nTransparentColor=" + std::to_string(TransparentColor) + "\r\n";
  return t;
}

// ---- TImgObject ----

TImgObject::TImgObject(const TObjectServices& services) : TAnimImgObject(services) {}

TImgObject::~TImgObject() { EndWorker(); }

void TImgObject::LoadFromText(const IniSections& keys) {
  const std::string s = "Obj" + std::to_string(Index);
  ReadImageKeys(keys, EndsWithPng(keys.ReadString(s, "Filename", "")) ? 0 : 1);
  LoadCommonKeys(keys);
}

std::string TImgObject::SaveToText() {
  return TAnimObject::SaveToText() + "ObjType=IMG\r\n" + ImageKeysText(true);
}

bool TImgObject::Load() {
  LookUpCommonFolder();
  std::vector<uint8_t> bytes;
  std::string error;
  if (FileName.empty() || !ReadWholeFile(FileName, bytes, error)) return false;
  Bitmap32 picture;
  std::vector<uint8_t> alpha;
  IsPng = EndsWithPng(FileName);
  AlphaRead = false;
  bool decoded = false;
  if (IsPng) {
    decoded = DecodePng(bytes.data(), bytes.size(), picture, &alpha, error);
    AlphaRead = decoded && alpha.size() == picture.PixelCount();
  }
  if (!decoded && !DecodePicture(bytes, picture, error)) return false;
  if (picture.Empty()) return false;
  FrameImage = std::move(picture);
  AlphaPlane = AlphaRead ? std::move(alpha) : std::vector<uint8_t>();
  KeyColor = TransparentType == 2 ? 0xFF000000u | ObjectColorRgb(TransparentColor)
                                  : FrameImage.Pixel(0, FrameImage.Height() - 1);
  ObjWidth = FrameImage.Width();
  ObjHeight = FrameImage.Height();
  BuildCoverage();
  return true;
}

void TImgObject::BuildCoverage() {
  const bool pngAlpha = IsPng && Transparent == 1 && TransparentType == 0 && AlphaRead;
  const bool keyed = Transparent == 1 && !(IsPng && TransparentType == 0);
  // Of the other formats only a GIF decodes with transparent pixels; they stay hidden.
  const bool hideTransparent = !IsPng;
  coverage_.SetSize(FrameImage.Width(), FrameImage.Height());
  for (int y = 0; y < FrameImage.Height(); ++y) {
    const uint32_t* src = FrameImage.Row(y);
    uint32_t* dst = coverage_.Row(y);
    for (int x = 0; x < FrameImage.Width(); ++x) {
      const uint32_t s = src[x];
      uint32_t c = 255;
      if (pngAlpha) {
        c = AlphaPlane[static_cast<size_t>(y) * FrameImage.Width() + x];
      } else if ((keyed && s == KeyColor) || (hideTransparent && (s >> 24) == 0)) {
        c = 0;
      }
      dst[x] = c == 0 ? 0 : (c << 24) | (s & 0x00FFFFFFu);
    }
  }
  scaled_ = Bitmap32();
}

bool TAnimImgObject::PrepareLoaded(bool loaded) {
  if (!loaded) {
    SetUnprepared();
    std::lock_guard<std::mutex> lock(stateMutex());
    Visible = false;
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(stateMutex());
    Alpha = OpacityAlpha();
  }
  TAnimObject::Prepare();
  return true;
}

void TImgObject::Prepare() { PrepareLoaded(Load()); }

void TImgObject::Draw(Bitmap32& frame) {
  if (!Prepared()) return;
  const TObjectSnapshot s = Snapshot();
  if (!s.Visible) return;
  const int64_t w = static_cast<int64_t>(s.DrawRect.Right) - s.DrawRect.Left;
  const int64_t h = static_cast<int64_t>(s.DrawRect.Bottom) - s.DrawRect.Top;
  if (w <= 0 || h <= 0) return;
  const Bitmap32* image = &coverage_;
  if ((w != coverage_.Width() || h != coverage_.Height()) && w * h <= kLargestScaledCopy) {
    if (scaled_.Width() != w || scaled_.Height() != h) {
      scaled_ = DraftScale(coverage_, static_cast<int32_t>(w), static_cast<int32_t>(h));
    }
    image = &scaled_;
  }
  DrawCoverageImage(frame, *image, s.DrawRect, s.Flipped, s.Alpha);
}

}  // namespace kx
