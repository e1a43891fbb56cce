#include "configui/SkinPicture.h"

#include "configui/SkinError.h"
#include "project/IniText.h"

namespace kx {
namespace {

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

void AppendLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

enum class Graphic { Bitmap, Jpeg, Gif, Png };

struct GraphicClass {
  const char* name;
  Graphic graphic;
  bool sizeRequired;
};

constexpr GraphicClass kClasses[] = {
    {"TBitmap", Graphic::Bitmap, true}, {"TJPEGImage", Graphic::Jpeg, true}, {"TGIFImage", Graphic::Gif, false},
    {"TPngImage", Graphic::Png, false}, {"TPNGObject", Graphic::Png, false},
};

SkinPicture Decode(Graphic graphic, const uint8_t* data, size_t size, const std::string& className) {
  SkinPicture picture;
  if (size == 0) return picture;  // an empty graphic
  std::string error;
  bool ok = false;
  switch (graphic) {
    case Graphic::Bitmap:
      ok = DecodeBmp(data, size, picture.image, error);
      picture.format = PictureFormat::Bmp;
      break;
    case Graphic::Jpeg:
      ok = DecodeJpeg(data, size, picture.image, error);
      picture.format = PictureFormat::Jpeg;
      break;
    case Graphic::Gif:
      ok = DecodeGif(data, size, picture.image, error);
      picture.format = PictureFormat::Gif;
      break;
    case Graphic::Png:
      ok = DecodePng(data, size, picture.image, nullptr, error);
      picture.format = PictureFormat::Png;
      break;
  }
  if (!ok) throw SkinError("the " + className + " picture cannot be read: " + error);
  return picture;
}

// A 4-byte size and that many bytes; `required` false lets the size be left out.
void SizedPart(const uint8_t* data, size_t size, bool required, const std::string& what, const uint8_t*& part,
               size_t& partSize) {
  if (size >= 4) {
    const uint32_t declared = ReadLe32(data);
    if (declared <= size - 4 && (required || declared == size - 4)) {
      part = data + 4;
      partSize = declared;
      return;
    }
    if (required)
      throw SkinError("the " + what + " data ends early: it announces " + std::to_string(declared) + " bytes, " +
                      std::to_string(size - 4) + " follow");
  } else if (required) {
    throw SkinError("the " + what + " data ends before its size");
  }
  part = data;
  partSize = size;
}

}  // namespace

SkinPicture DecodePictureData(const std::vector<uint8_t>& data) {
  if (data.empty()) return SkinPicture();
  const size_t nameLength = data[0];
  if (1 + nameLength > data.size()) throw SkinError("the picture data ends inside its graphic class name");
  const std::string className(reinterpret_cast<const char*>(data.data() + 1), nameLength);
  const std::string upper = UpperAscii(className);
  for (const auto& c : kClasses) {
    if (UpperAscii(c.name) != upper) continue;
    const uint8_t* part = nullptr;
    size_t partSize = 0;
    SizedPart(data.data() + 1 + nameLength, data.size() - 1 - nameLength, c.sizeRequired, className, part, partSize);
    return Decode(c.graphic, part, partSize, className);
  }
  throw SkinError("the picture data holds the graphic class \"" + className + "\", which is not supported");
}

SkinPicture DecodeGlyphData(const std::vector<uint8_t>& data) {
  if (data.empty()) return SkinPicture();
  const uint8_t* part = nullptr;
  size_t partSize = 0;
  SizedPart(data.data(), data.size(), true, "glyph", part, partSize);
  return Decode(Graphic::Bitmap, part, partSize, "glyph");
}

const char* GraphicClassFor(PictureFormat format) {
  switch (format) {
    case PictureFormat::Bmp: return "TBitmap";
    case PictureFormat::Jpeg: return "TJPEGImage";
    case PictureFormat::Gif: return "TGIFImage";
    case PictureFormat::Png: return "TPngImage";
    default: return "";
  }
}

std::vector<uint8_t> EncodePictureData(const std::string& graphicClass, const std::vector<uint8_t>& file) {
  std::vector<uint8_t> out(1 + graphicClass.size());
  out[0] = static_cast<uint8_t>(graphicClass.size());
  for (size_t i = 0; i < graphicClass.size(); ++i) out[1 + i] = static_cast<uint8_t>(graphicClass[i]);
  out.reserve(out.size() + 4 + file.size());
  AppendLe32(out, static_cast<uint32_t>(file.size()));
  out.insert(out.end(), file.begin(), file.end());
  return out;
}

std::vector<uint8_t> EncodeGlyphData(const std::vector<uint8_t>& bmpFile) {
  std::vector<uint8_t> out;
  AppendLe32(out, static_cast<uint32_t>(bmpFile.size()));
  out.insert(out.end(), bmpFile.begin(), bmpFile.end());
  return out;
}

std::vector<std::string> FormatBinaryValue(const std::vector<uint8_t>& bytes, const std::string& indent) {
  static const char kHex[] = "0123456789ABCDEF";
  if (bytes.empty()) return {"{}"};
  std::vector<std::string> lines = {"{"};
  constexpr size_t kPerLine = 32;
  for (size_t i = 0; i < bytes.size(); i += kPerLine) {
    std::string line = indent;
    for (size_t k = i; k < bytes.size() && k < i + kPerLine; ++k) {
      line += kHex[bytes[k] >> 4];
      line += kHex[bytes[k] & 15];
    }
    lines.push_back(std::move(line));
  }
  lines.back() += "}";
  return lines;
}

}  // namespace kx
