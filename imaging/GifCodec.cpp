// GIF decoding and encoding through giflib's record-level interface.
//
// The record loop is ours rather than DGifSlurp so that every frame's size is checked before
// its index buffer is allocated, the still picture can stop after the first frame, and the
// frames read before a damaged one are kept. giflib reports failures through return codes,
// never by jumping, so plain C++ is safe here.
#include "imaging/GifCodec.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/CodecInternal.h"
#include "imaging/DecodeBudget.h"
#include "imaging/PictureCodec.h"

namespace kx {
namespace {

struct MemorySource {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

int ReadFn(GifFileType* gif, GifByteType* out, int length) {
  auto* src = static_cast<MemorySource*>(gif->UserData);
  if (length <= 0) return 0;
  const size_t n = std::min(static_cast<size_t>(length), src->size - src->pos);
  std::memcpy(out, src->data + src->pos, n);
  src->pos += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int ignored = 0;
    DGifCloseFile(gif, &ignored);
  }
};
using GifReader = std::unique_ptr<GifFileType, GifCloser>;

std::string GifMessage(int code) {
  const char* text = GifErrorString(code);
  return std::string("Damaged or truncated GIF data (") + (text ? text : "unknown error") + ")";
}

std::vector<uint32_t> TableOf(const ColorMapObject* map) {
  std::vector<uint32_t> table;
  if (map == nullptr || map->Colors == nullptr) return table;
  table.reserve(static_cast<size_t>(std::max(map->ColorCount, 0)));
  for (int i = 0; i < map->ColorCount; ++i) table.push_back(Rgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
  return table;
}

// Row order of an interlaced frame: every 8th row from 0, every 8th from 4, every 4th from 2,
// every 2nd from 1.
std::vector<int> InterlacedRowOrder(int height) {
  std::vector<int> order;
  order.reserve(static_cast<size_t>(height));
  static const int kStart[4] = {0, 4, 2, 1};
  static const int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  return order;
}

// Reads frames until the trailer, or until `maxFrames` frames are read. Returns false with
// `error` on damage; the frames read completely stay in `anim`.
bool ReadFrames(const uint8_t* data, size_t size, size_t maxFrames, GifAnimation& anim, std::string& error) {
  MemorySource source{data, size, 0};
  int code = 0;
  GifReader gif(DGifOpen(&source, ReadFn, &code));
  if (!gif) {
    error = GifMessage(code);
    return false;
  }
  if (!codec::CheckPictureSize(gif->SWidth, gif->SHeight, error)) return false;
  anim.width = gif->SWidth;
  anim.height = gif->SHeight;
  anim.backgroundIndex = gif->SBackGroundColor;
  anim.globalColorTable = TableOf(gif->SColorMap);
  const int64_t screenPixels = static_cast<int64_t>(anim.width) * anim.height;
  // Every frame is composed into a screen-sized bitmap of its own (the working screen becomes
  // the last one), a frame of disposal 3 needs one saved screen besides, and the index data
  // of every frame is kept: all of it is paid from one budget before it is allocated.
  DecodeBudget budget;
  bool savedScreenPaid = false;
  // Graphic control values wait for the next frame they belong to.
  int pendingDelay = 0, pendingDisposal = kGifDisposeUnspecified, pendingTransparent = -1;
  while (anim.frames.size() < maxFrames) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
      error = GifMessage(gif->Error);
      return false;
    }
    if (record == TERMINATE_RECORD_TYPE) break;
    if (record == EXTENSION_RECORD_TYPE) {
      int extCode = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif.get(), &extCode, &block) == GIF_ERROR) {
        error = GifMessage(gif->Error);
        return false;
      }
      bool netscape = false;
      if (extCode == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
        pendingDisposal = (block[1] >> 2) & 7;
        pendingDelay = block[2] | (block[3] << 8);
        pendingTransparent = (block[1] & 1) ? block[4] : -1;
      } else if (extCode == APPLICATION_EXT_FUNC_CODE && block != nullptr && block[0] == 11 &&
                 (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0)) {
        netscape = true;
      }
      while (block != nullptr) {
        if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) {
          error = GifMessage(gif->Error);
          return false;
        }
        if (netscape && block != nullptr && block[0] >= 3 && block[1] == 1) {
          anim.loopCount = block[2] | (block[3] << 8);
          netscape = false;
        }
      }
      continue;
    }
    if (record != IMAGE_DESC_RECORD_TYPE) continue;

    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
      error = GifMessage(gif->Error);
      return false;
    }
    GifFrame frame;
    const GifImageDesc& desc = gif->Image;
    frame.left = desc.Left;
    frame.top = desc.Top;
    frame.width = desc.Width;
    frame.height = desc.Height;
    frame.interlaced = desc.Interlace;
    frame.localColorTable = desc.ColorMap != nullptr;
    frame.colorTable = frame.localColorTable ? TableOf(desc.ColorMap) : anim.globalColorTable;
    frame.delayCs = pendingDelay;
    frame.disposal = pendingDisposal;
    frame.transparentIndex = pendingTransparent;
    pendingDelay = 0;
    pendingDisposal = kGifDisposeUnspecified;
    pendingTransparent = -1;

    const int64_t framePixels = static_cast<int64_t>(frame.width) * frame.height;
    if (framePixels > kMaxPicturePixels) {
      error = "GIF frame is too large (" + std::to_string(frame.width) + " x " + std::to_string(frame.height) + ")";
      return false;
    }
    const std::string what = "GIF frame " + std::to_string(anim.frames.size() + 1) + " on a screen of " +
                             std::to_string(anim.width) + " x " + std::to_string(anim.height);
    if (!budget.Take(screenPixels * 4 + framePixels, what, error)) return false;
    if (frame.disposal == kGifDisposePrevious && !savedScreenPaid) {
      if (!budget.Take(screenPixels * 4, what, error)) return false;
      savedScreenPaid = true;
    }
    if (framePixels == 0) {
      // An empty frame still carries its (empty) image data: skip it.
      int codeSize = 0;
      GifByteType* block = nullptr;
      if (DGifGetCode(gif.get(), &codeSize, &block) == GIF_ERROR) {
        error = GifMessage(gif->Error);
        return false;
      }
      while (block != nullptr) {
        if (DGifGetCodeNext(gif.get(), &block) == GIF_ERROR) {
          error = GifMessage(gif->Error);
          return false;
        }
      }
    } else {
      frame.indices.resize(static_cast<size_t>(framePixels));
      const std::vector<int> order =
          frame.interlaced ? InterlacedRowOrder(frame.height) : std::vector<int>();
      for (int i = 0; i < frame.height; ++i) {
        const int y = frame.interlaced ? order[i] : i;
        if (DGifGetLine(gif.get(), frame.indices.data() + static_cast<size_t>(y) * frame.width, frame.width) ==
            GIF_ERROR) {
          error = GifMessage(gif->Error);
          return false;
        }
      }
    }
    anim.frames.push_back(std::move(frame));
  }
  return true;
}

// Paints one frame onto the screen, clipped, skipping its transparent index.
void DrawFrame(const GifFrame& frame, Bitmap32& screen) {
  const int x0 = std::max(frame.left, 0), x1 = std::min(frame.left + frame.width, screen.Width());
  const int y0 = std::max(frame.top, 0), y1 = std::min(frame.top + frame.height, screen.Height());
  const size_t tableSize = frame.colorTable.size();
  for (int y = y0; y < y1; ++y) {
    const uint8_t* src = frame.indices.data() + static_cast<size_t>(y - frame.top) * frame.width - frame.left;
    uint32_t* dst = screen.Row(y);
    for (int x = x0; x < x1; ++x) {
      const int index = src[x];
      if (index == frame.transparentIndex) continue;
      dst[x] = static_cast<size_t>(index) < tableSize ? frame.colorTable[index] : Rgb(0, 0, 0);
    }
  }
}

void ClearRect(const GifFrame& frame, Bitmap32& screen) {
  const int x0 = std::max(frame.left, 0), x1 = std::min(frame.left + frame.width, screen.Width());
  const int y0 = std::max(frame.top, 0), y1 = std::min(frame.top + frame.height, screen.Height());
  for (int y = y0; y < y1; ++y) std::fill(screen.Row(y) + x0, screen.Row(y) + std::max(x0, x1), 0u);
}

}  // namespace

void ComposeGifFrames(GifAnimation& animation) {
  Bitmap32 screen(animation.width, animation.height, 0);
  Bitmap32 saved;
  const GifFrame* previous = nullptr;
  for (GifFrame& frame : animation.frames) {
    if (previous != nullptr) {
      if (previous->disposal == kGifDisposeBackground) ClearRect(*previous, screen);
      else if (previous->disposal == kGifDisposePrevious) screen = saved;
    }
    if (frame.disposal == kGifDisposePrevious) saved = screen;
    // A frame without pixels (0 wide or 0 high) draws nothing.
    if (!frame.indices.empty() && frame.indices.size() == static_cast<size_t>(frame.width) * frame.height)
      DrawFrame(frame, screen);
    // The last frame takes the working screen itself: no copy of the largest bitmap.
    if (&frame == &animation.frames.back()) frame.composed = std::move(screen);
    else frame.composed = screen;
    previous = &frame;
  }
}

bool DecodeGifAnimation(const uint8_t* data, size_t size, GifAnimation& out, std::string& error) {
  out = GifAnimation();
  if (DetectPictureFormat(data, size) != PictureFormat::Gif) {
    error = "Not GIF data";
    return false;
  }
  try {
    const bool ok = ReadFrames(data, size, SIZE_MAX, out, error);
    ComposeGifFrames(out);
    if (ok && out.frames.empty()) {
      error = "GIF data holds no picture";
      return false;
    }
    return ok;
  } catch (const std::bad_alloc&) {
    out = GifAnimation();
    error = codec::kOutOfMemory;
    return false;
  }
}

bool DecodeGifAnimation(const std::vector<uint8_t>& data, GifAnimation& out, std::string& error) {
  return DecodeGifAnimation(data.data(), data.size(), out, error);
}

bool DecodeGif(const uint8_t* data, size_t size, Bitmap32& out, std::string& error) {
  if (DetectPictureFormat(data, size) != PictureFormat::Gif) {
    error = "Not GIF data";
    return false;
  }
  try {
    GifAnimation anim;
    if (!ReadFrames(data, size, 1, anim, error)) return false;
    if (anim.frames.empty()) {
      error = "GIF data holds no picture";
      return false;
    }
    ComposeGifFrames(anim);
    out = std::move(anim.frames[0].composed);
    return true;
  } catch (const std::bad_alloc&) {
    error = codec::kOutOfMemory;
    return false;
  }
}

// ---- Writing ----

namespace {

struct MemorySink {
  std::vector<uint8_t>* out;
  bool failed;
};

int WriteFn(GifFileType* gif, const GifByteType* data, int length) {
  auto* sink = static_cast<MemorySink*>(gif->UserData);
  try {
    sink->out->insert(sink->out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    sink->failed = true;
    return 0;
  }
  return length;
}

struct MapFree {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColorMap = std::unique_ptr<ColorMapObject, MapFree>;

// A giflib colour map of the table padded with black to a power of two (at least 2).
ColorMap MakeMap(const std::vector<uint32_t>& table) {
  int count = 2;
  while (count < static_cast<int>(table.size()) && count < 256) count *= 2;
  std::vector<GifColorType> colors(static_cast<size_t>(count), GifColorType{0, 0, 0});
  for (int i = 0; i < count && i < static_cast<int>(table.size()); ++i)
    colors[i] = GifColorType{static_cast<GifByteType>(RedOf(table[i])), static_cast<GifByteType>(GreenOf(table[i])),
                             static_cast<GifByteType>(BlueOf(table[i]))};
  return ColorMap(GifMakeMapObject(count, colors.data()));
}

bool WriterFailed(GifFileType* gif, std::string& error) {
  const char* text = GifErrorString(gif->Error);
  error = std::string("Cannot write GIF data (") + (text ? text : "unknown error") + ")";
  return false;
}

bool WriteGif(const GifAnimation& anim, GifFileType* gif, std::string& error) {
  ColorMap global;
  if (!anim.globalColorTable.empty()) {
    global = MakeMap(anim.globalColorTable);
    if (!global) return WriterFailed(gif, error);
  }
  EGifSetGifVersion(gif, true);
  if (EGifPutScreenDesc(gif, anim.width, anim.height, 8, anim.backgroundIndex, global.get()) == GIF_ERROR)
    return WriterFailed(gif, error);
  if (anim.loopCount >= 0) {
    const uint8_t loop[3] = {1, static_cast<uint8_t>(anim.loopCount & 0xFF), static_cast<uint8_t>((anim.loopCount >> 8) & 0xFF)};
    if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_ERROR || EGifPutExtensionBlock(gif, 3, loop) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif) == GIF_ERROR)
      return WriterFailed(gif, error);
  }
  std::vector<GifPixelType> line;
  for (const GifFrame& frame : anim.frames) {
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.indices.size() != static_cast<size_t>(frame.width) * frame.height) {
      error = "Cannot write GIF data (a frame's indices do not match its size)";
      return false;
    }
    if (!frame.localColorTable && !global) {
      error = "Cannot write GIF data (a frame has no colour table)";
      return false;
    }
    const uint8_t control[4] = {
        static_cast<uint8_t>(((frame.disposal & 7) << 2) | (frame.transparentIndex >= 0 ? 1 : 0)),
        static_cast<uint8_t>(frame.delayCs & 0xFF), static_cast<uint8_t>((frame.delayCs >> 8) & 0xFF),
        static_cast<uint8_t>(frame.transparentIndex >= 0 ? frame.transparentIndex : 0)};
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control) == GIF_ERROR) return WriterFailed(gif, error);
    ColorMap local;
    if (frame.localColorTable) {
      local = MakeMap(frame.colorTable);
      if (!local) return WriterFailed(gif, error);
    }
    if (!local && gif->Image.ColorMap != nullptr) {
      // giflib keeps its copy of the previous frame's local table and forgets it, unfreed,
      // when a frame without one follows: free it here.
      GifFreeMapObject(gif->Image.ColorMap);
      gif->Image.ColorMap = nullptr;
    }
    if (EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, local.get()) ==
        GIF_ERROR)
      return WriterFailed(gif, error);
    const std::vector<int> order = frame.interlaced ? InterlacedRowOrder(frame.height) : std::vector<int>();
    line.resize(static_cast<size_t>(frame.width));
    for (int i = 0; i < frame.height; ++i) {
      const int y = frame.interlaced ? order[i] : i;
      // giflib masks the line in place, so it gets a copy.
      std::copy_n(frame.indices.data() + static_cast<size_t>(y) * frame.width, frame.width, line.data());
      if (EGifPutLine(gif, line.data(), frame.width) == GIF_ERROR) return WriterFailed(gif, error);
    }
  }
  return true;
}

}  // namespace

bool EncodeGif(const GifAnimation& animation, std::vector<uint8_t>& out, std::string& error) {
  if (animation.width <= 0 || animation.height <= 0 || animation.width > 65535 || animation.height > 65535) {
    error = "Cannot write GIF data (invalid screen size)";
    return false;
  }
  std::vector<uint8_t> bytes;
  MemorySink sink{&bytes, false};
  int code = 0;
  GifFileType* gif = EGifOpen(&sink, WriteFn, &code);
  if (gif == nullptr) {
    error = "Cannot write GIF data (" + std::string(GifErrorString(code) ? GifErrorString(code) : "") + ")";
    return false;
  }
  bool ok;
  try {
    ok = WriteGif(animation, gif, error);
  } catch (const std::bad_alloc&) {
    error = codec::kOutOfMemory;
    ok = false;
  }
  // Closing writes the trailer.
  if (EGifCloseFile(gif, &code) == GIF_ERROR && ok) {
    error = "Cannot write GIF data (" + std::string(GifErrorString(code) ? GifErrorString(code) : "") + ")";
    ok = false;
  }
  if (ok && sink.failed) {
    error = codec::kOutOfMemory;
    ok = false;
  }
  if (ok) out = std::move(bytes);
  return ok;
}

const std::vector<uint32_t>& FixedGifPalette() {
  static const std::vector<uint32_t> palette = [] {
    std::vector<uint32_t> p;
    p.reserve(256);
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) p.push_back(Rgb(r * 51, g * 51, b * 51));
    for (int k = 1; k <= 40; ++k) {
      const int v = (k * 255 * 2 + 41) / 82;  // k * 255 / 41, rounded
      p.push_back(Rgb(v, v, v));
    }
    return p;
  }();
  return palette;
}

uint8_t NearestFixedPaletteIndex(uint32_t color) {
  const int r = static_cast<int>(RedOf(color)), g = static_cast<int>(GreenOf(color)), b = static_cast<int>(BlueOf(color));
  auto level = [](int v) { return (v + 25) / 51; };
  const int cr = level(r), cg = level(g), cb = level(b);
  auto sq = [](int v) { return v * v; };
  int bestError = sq(r - cr * 51) + sq(g - cg * 51) + sq(b - cb * 51);
  int best = cr * 36 + cg * 6 + cb;
  // The grey nearest to a colour is the one nearest to the mean of its channels; its
  // neighbours are tried too because the ramp's levels are rounded.
  const int mean = (r + g + b + 1) / 3;
  const int k = std::clamp((mean * 41 + 127) / 255, 1, 40);
  for (int kk = std::max(1, k - 1); kk <= std::min(40, k + 1); ++kk) {
    const int v = (kk * 255 * 2 + 41) / 82;
    const int e = sq(r - v) + sq(g - v) + sq(b - v);
    if (e < bestError) {
      bestError = e;
      best = 215 + kk;
    }
  }
  return static_cast<uint8_t>(best);
}

bool EncodeGifAnimation(const std::vector<Bitmap32>& frames, int delayCs, std::vector<uint8_t>& out,
                        std::string& error) {
  if (frames.empty() || frames[0].Empty()) {
    error = "Cannot write GIF data (no frames)";
    return false;
  }
  GifAnimation anim;
  anim.width = frames[0].Width();
  anim.height = frames[0].Height();
  anim.loopCount = 0;
  anim.globalColorTable = FixedGifPalette();
  try {
    anim.frames.reserve(frames.size());
    for (const Bitmap32& picture : frames) {
      if (picture.Width() != anim.width || picture.Height() != anim.height) {
        error = "Cannot write GIF data (frames differ in size)";
        return false;
      }
      GifFrame frame;
      frame.width = anim.width;
      frame.height = anim.height;
      frame.delayCs = std::clamp(delayCs, 0, 65535);
      frame.indices.resize(picture.PixelCount());
      const uint32_t* src = picture.Data();
      for (size_t i = 0; i < picture.PixelCount(); ++i) frame.indices[i] = NearestFixedPaletteIndex(src[i]);
      anim.frames.push_back(std::move(frame));
    }
  } catch (const std::bad_alloc&) {
    error = codec::kOutOfMemory;
    return false;
  }
  return EncodeGif(anim, out, error);
}

}  // namespace kx
