#include "scene/ScenePackageWriter.h"

#include <cassert>
#include <cstdio>

#include "imaging/PictureCodec.h"
#include "scene/WaterMask.h"

namespace kx {

namespace {

class ByteWriter {
 public:
  void Bytes(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + size);
  }
  void Int(int32_t value) {
    uint8_t b[4];
    WriteInt32LE(b, value);
    Bytes(b, 4);
  }
  void String(const std::string& text) {
    Int(static_cast<int32_t>(text.size()));
    Bytes(text.data(), text.size());
  }
  void Blob(const std::vector<uint8_t>& blob) {
    Int(static_cast<int32_t>(blob.size()));
    Bytes(blob.data(), blob.size());
  }
  void Wave(const TWaveParam& wave) {
    uint8_t b[kWaveRecordSize];
    wave.ToBytes(b);
    Bytes(b, sizeof b);
  }
  std::vector<uint8_t>& Out() { return out_; }

 private:
  std::vector<uint8_t> out_;
};

}  // namespace

std::vector<uint8_t> WriteScenePackage(const ScenePackage& p) {
  assert(p.Waves.size() >= kHeaderWaveCount);
  ByteWriter w;
  w.Bytes(p.Magic.data(), p.Magic.size());
  w.String(p.Title);
  w.String(p.ExtraText);
  w.Blob(p.ThumbnailJpeg);
  w.Int(p.WaveCount);
  for (int k = 0; k < kHeaderWaveCount; ++k) w.Wave(p.Waves[k]);
  w.Int(static_cast<int32_t>(p.MaskCodes.size()));
  for (const int32_t code : p.MaskCodes) w.Int(code);
  w.Blob(p.PictureJpeg);
  w.String(p.LegacySound);
  uint8_t weather[kWeatherRecordSize];
  p.Weather.ToBytes(weather);
  w.Bytes(weather, sizeof weather);
  if (!p.WriteLaterFields) return std::move(w.Out());

  for (const auto& slot : p.Sounds) {
    uint8_t b[kSoundSlotSize];
    slot.ToBytes(b);
    w.Bytes(b, sizeof b);
  }
  w.String(p.ObjectList);
  w.String(p.BuilderSettings);
  w.Int(static_cast<int32_t>(p.Waves.size() - kHeaderWaveCount));
  for (size_t k = kHeaderWaveCount; k < p.Waves.size(); ++k) w.Wave(p.Waves[k]);
  return std::move(w.Out());
}

bool WriteScenePackageFile(const std::string& path, const ScenePackage& package, std::string& error) {
  return WriteWholeFile(path, WriteScenePackage(package), error);
}

bool MaskFromColourPicture(const Bitmap32& picture, Bitmap32& mask, std::string& error) {
  Bitmap32 result(picture.Width(), picture.Height(), 0);
  for (int y = 0; y < picture.Height(); ++y) {
    const uint32_t* src = picture.Row(y);
    uint32_t* dst = result.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      const uint32_t rgb = src[x] & 0x00FFFFFFu;
      if (rgb != 0 && RegionOfMaskPixel(rgb) == 0) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "Mask colour #%06X at (%d, %d) is not a region colour (black for land; "
                      "0000FF, FF00FF, FF0000, FFFF00, 00FF00, 00FFFF for regions 1 to 6)",
                      rgb, x, y);
        error = text;
        return false;
      }
      dst[x] = rgb;
    }
  }
  mask = std::move(result);
  return true;
}

}  // namespace kx
