#pragma once
// Fixtures of the animated-object tests: objects without workers on a fake clock, object
// list texts written from key tables, image files made on the spot, a recording painter.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "anim/AnimObjects.h"
#include "anim/TextPainter.h"
#include "imaging/Bitmap32.h"
#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"
#include "scene/IniSections.h"
#include "tests/support/TestSupport.h"

namespace kx::testing {

using Keys = std::vector<std::pair<std::string, std::string>>;

// "[Obj<n>]" and its keys as CR LF lines.
inline std::string Section(int n, const Keys& keys) {
  std::string text = "[Obj" + std::to_string(n) + "]\r\n";
  for (const auto& [k, v] : keys) text += k + "=" + v + "\r\n";
  return text;
}

// An object with an image of a given size and no drawing, for the motion and timing rules.
class SizedObject final : public TAnimObject {
 public:
  SizedObject(const TObjectServices& services, int width, int height) : TAnimObject(services) {
    ObjWidth = width;
    ObjHeight = height;
  }
  ~SizedObject() override { EndWorker(); }
  void Draw(Bitmap32&) override {}
};

// Services for stepping objects by hand on `clock`.
inline TObjectServices HandDriven(Clock& clock, TTextPainter* painter = nullptr, std::string commonFolder = "") {
  return TObjectServices{&clock, painter, std::move(commonFolder), false};
}

// Reads `keys` as section Obj0 into `object` and places it in a design space and a frame.
inline void Configure(TAnimObject& object, const Keys& keys, int designW = 1000, int designH = 800,
                      int frameW = 1000, int frameH = 800) {
  object.LoadCommonKeys(IniSections(Section(object.Index, keys)));
  object.DesignWidth = designW;
  object.DesignHeight = designH;
  object.FrameRect = {0, 0, frameW, frameH};
}

// Steps `object` every 5 ms of `clock` until `untilMs` have passed since now.
inline void RunFor(TAnimObject& object, test::FakeClock& clock, uint32_t ms) {
  for (uint32_t t = 0; t < ms; t += 5) {
    clock.now += 5;
    object.Step();
  }
}

// A painter that records what it is asked to draw; every character is 10 pixels wide.
class RecordingPainter final : public TTextPainter {
 public:
  struct Call {
    std::string face;
    int32_t pixelSize;
    std::vector<TTextLine> lines;
    uint32_t rgb;
    int32_t alpha;
  };
  int32_t LineWidth(const std::string&, int32_t, const std::string& line) override {
    return static_cast<int32_t>(line.size()) * 10;
  }
  void DrawLines(Bitmap32&, const std::string& face, int32_t pixelSize, const std::vector<TTextLine>& lines,
                 uint32_t rgb, int32_t alpha) override {
    calls.push_back({face, pixelSize, lines, rgb, alpha});
  }
  std::vector<Call> calls;
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string error;
  ASSERT_TRUE(WriteWholeFile(path, bytes, error)) << error;
}

inline void WritePng(const std::string& path, const Bitmap32& picture) {
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(EncodePng(picture, bytes, error)) << error;
  WriteBytes(path, bytes);
}

inline void WriteBmp(const std::string& path, const Bitmap32& picture) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeBmp24(picture, bytes));
  WriteBytes(path, bytes);
}

// An indexed GIF frame filling the rectangle (left, top, w, h) with `indices` (row by row).
inline GifFrame IndexedFrame(int left, int top, int w, int h, std::vector<uint8_t> indices, int delayCs,
                             int transparentIndex = -1, int disposal = GifFrame{}.disposal) {
  GifFrame f;
  f.left = left;
  f.top = top;
  f.width = w;
  f.height = h;
  f.delayCs = delayCs;
  f.transparentIndex = transparentIndex;
  f.disposal = disposal;
  f.indices = std::move(indices);
  return f;
}

inline void WriteGif(const std::string& path, int w, int h, std::vector<uint32_t> palette, std::vector<GifFrame> frames) {
  GifAnimation a;
  a.width = w;
  a.height = h;
  a.loopCount = 0;
  a.globalColorTable = std::move(palette);
  a.frames = std::move(frames);
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(EncodeGif(a, bytes, error)) << error;
  WriteBytes(path, bytes);
}

}  // namespace kx::testing
