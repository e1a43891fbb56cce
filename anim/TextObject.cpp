#include "anim/TextObject.h"

#include <algorithm>

#include "anim/FastRound.h"
#include "anim/ObjectColors.h"
#include "base/MulDiv.h"
#include "scene/IniSections.h"
#include "scene/TextCodec.h"

namespace kx {

namespace {

enum class Horizontal { Left, Centre, Right };
enum class Vertical { Top, Middle, Bottom };

struct Anchor {
  Horizontal h;
  Vertical v;
};

Anchor AnchorOf(int32_t position) {
  static constexpr Anchor kAnchors[9] = {
      {Horizontal::Centre, Vertical::Top},    {Horizontal::Centre, Vertical::Bottom},
      {Horizontal::Centre, Vertical::Middle}, {Horizontal::Left, Vertical::Middle},
      {Horizontal::Right, Vertical::Middle},  {Horizontal::Left, Vertical::Top},
      {Horizontal::Right, Vertical::Top},     {Horizontal::Left, Vertical::Bottom},
      {Horizontal::Right, Vertical::Bottom},
  };
  return position >= 0 && position <= 8 ? kAnchors[position] : kAnchors[0];
}

// Fonts larger than this many pixels are not drawn: no frame shows them whole.
constexpr int32_t kLargestPixelSize = 4096;

}  // namespace

int32_t TextPointSize(int32_t fontSize, int32_t frameHeight) {
  return RoundEven(static_cast<double>(fontSize) * frameHeight / 768.0);
}

int32_t TextLineStep(int32_t pointSize, int32_t frameHeight) {
  return pointSize + RoundEven(2.0 * frameHeight / 768.0);
}

int32_t TextPixelSize(int32_t points) { return MulDiv(points, 96, 72); }

std::vector<std::string> SplitTextLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

TTextObject::TTextObject(const TObjectServices& services) : TAnimObject(services) {}

TTextObject::~TTextObject() { EndWorker(); }

void TTextObject::LoadFromText(const IniSections& keys) {
  const std::string s = "Obj" + std::to_string(Index);
  Lines = SplitTextLines(DecodeObjectText(keys.ReadString(s, "Text", "")));
  TextColor = keys.ReadInteger(s, "TextColor", 0xFFFFFF);
  FontSize = keys.ReadInteger(s, "FontSize", 20);
  Position = keys.ReadInteger(s, "Position", 0);
  FontName = keys.ReadString(s, "Font", "Arial");
  LoadCommonKeys(keys);
}

void TTextObject::Prepare() {
  {
    std::lock_guard<std::mutex> lock(stateMutex());
    Alpha = 255;
    Opacity = 10;
  }
  TAnimObject::Prepare();
}

std::string TTextObject::SaveToText() {
  std::string joined;
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (i > 0) joined += "\r\n";
    joined += Lines[i];
  }
  return TAnimObject::SaveToText() + "ObjType=TXT\r\nText=" + EncodeObjectText(joined) +
         "\r\nTextColor=" + std::to_string(TextColor) + "\r\nFontSize=" + std::to_string(FontSize) +
         "\r\nPosition=" + std::to_string(Position) + "\r\nFont=" + FontName + "\r\n";
}

std::vector<TTextLine> TTextObject::Layout(int32_t width, int32_t height, TTextPainter& painter) const {
  std::vector<TTextLine> placed;
  const int32_t points = TextPointSize(FontSize, height);
  const int32_t pixels = TextPixelSize(points);
  if (Lines.empty() || pixels <= 0 || pixels > kLargestPixelSize) return placed;
  const int64_t step = TextLineStep(points, height);
  const int64_t n = static_cast<int64_t>(Lines.size());
  const Anchor anchor = AnchorOf(Position);
  int64_t top = 15;
  if (anchor.v == Vertical::Middle) top = (height - n * step) / 2;
  if (anchor.v == Vertical::Bottom) top = height - n * step - 15;
  for (int64_t i = 0; i < n; ++i) {
    const int64_t lineTop = top + i * step;
    // Lines wholly above or below the frame are not measured or drawn.
    if (lineTop + 2 * static_cast<int64_t>(pixels) < 0 || lineTop >= height) continue;
    const std::string& text = Lines[static_cast<size_t>(i)];
    int64_t left = 15;
    if (anchor.h != Horizontal::Left) {
      const int64_t w = painter.LineWidth(FontName, pixels, text);
      left = anchor.h == Horizontal::Centre ? (width - w) / 2 : width - w - 15;
    }
    placed.push_back({text, static_cast<int32_t>(std::clamp<int64_t>(left, INT32_MIN, INT32_MAX)),
                      static_cast<int32_t>(lineTop)});
  }
  return placed;
}

void TTextObject::Draw(Bitmap32& frame) {
  TTextPainter* painter = services().textPainter;
  if (painter == nullptr || frame.Empty()) return;
  const TObjectSnapshot s = Snapshot();
  if (!s.Visible || s.Alpha <= 0) return;
  const std::vector<TTextLine> lines = Layout(frame.Width(), frame.Height(), *painter);
  if (lines.empty()) return;
  painter->DrawLines(frame, FontName, TextPixelSize(TextPointSize(FontSize, frame.Height())), lines,
                     ObjectColorRgb(TextColor), s.Alpha);
}

}  // namespace kx
