#pragma once
// GIF animations: every frame with its own rectangle, timing, disposal and colours, and the
// frames composed on the logical screen, for animated objects; plus a writer of indexed
// frames and one of true-colour frame sequences.
//
// Composition rules (ComposeGifFrames): the logical screen starts fully transparent
// (0x00000000). Before a frame is drawn, the disposal of the frame before it is carried
// out: 2 clears that frame's rectangle to transparent, 3 puts back the screen as it was
// before that frame was drawn, every other value leaves the screen as it is. A frame's
// pixels are drawn inside its rectangle clipped to the screen, skipping its transparent
// index; an index outside the colour table in force draws opaque black. Frame i's
// `composed` bitmap is the screen right after frame i is drawn.
//
// The background colour index of the file is kept but not painted: like the common viewers,
// "restore to background" means "make transparent".
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"

namespace kx {

// Disposal methods of the graphic control extension (3 bits; 4 to 7 are undefined and are
// treated as "keep").
inline constexpr int kGifDisposeUnspecified = 0;
inline constexpr int kGifDisposeKeep = 1;
inline constexpr int kGifDisposeBackground = 2;
inline constexpr int kGifDisposePrevious = 3;


struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;  // frame rectangle on the logical screen, pixels
  int delayCs = 0;            // delay after this frame in hundredths of a second, as stored (0 too)
  int disposal = kGifDisposeUnspecified;
  int transparentIndex = -1;  // colour index drawn as transparent; -1 for none
  bool interlaced = false;    // as stored in the file; `indices` are always in display order
  bool localColorTable = false;      // the frame carries its own table
  std::vector<uint32_t> colorTable;  // the table in force (local, else global), 0xFFRRGGBB entries
  std::vector<uint8_t> indices;      // width x height colour indices, rows top first
  Bitmap32 composed;                 // the logical screen after this frame (ComposeGifFrames)
};

struct GifAnimation {
  int width = 0, height = 0;  // logical screen, pixels
  int backgroundIndex = 0;
  int loopCount = -1;         // NETSCAPE2.0 loop count (0 = for ever); -1 when there is none
  std::vector<uint32_t> globalColorTable;  // 0xFFRRGGBB entries; empty when there is none
  std::vector<GifFrame> frames;
};

// Decodes every frame and composes them. Sizes are checked before anything is allocated: the
// screen and each frame against kMaxPicturePixels, and what the frames need together (a
// composed screen and the index data per frame, see DecodeBudget.h) against the decode budget,
// so an animation holds at most kDecodeBudgetBytes of pixels.
// On failure `out` holds the complete frames read before the damage (composed), which a
// caller may show; `error` says what went wrong.
bool DecodeGifAnimation(const uint8_t* data, size_t size, GifAnimation& out, std::string& error);
bool DecodeGifAnimation(const std::vector<uint8_t>& data, GifAnimation& out, std::string& error);

// Recomputes every frame's `composed` bitmap from the frames' indices, tables, rectangles,
// transparency and disposal: callers that change the transparent index or the disposal of
// frames call it again.
void ComposeGifFrames(GifAnimation& animation);

// Writes the animation as a GIF89a file: screen, global table (when not empty), the loop
// block (when loopCount >= 0), and for each frame a graphic control extension, its
// rectangle, its local table (when `localColorTable`) and its indices, interlaced when
// `interlaced`. Tables are padded with black to a power of two. `composed` is not used.
bool EncodeGif(const GifAnimation& animation, std::vector<uint8_t>& out, std::string& error);

// Writes equal-sized true-colour frames as an animation that loops for ever, each frame
// shown for `delayCs` hundredths of a second. Colours are mapped without dithering to the
// fixed palette below, so no frame needs its own table and the frames of an effect keep
// identical colours from one frame to the next. Alpha is ignored.
bool EncodeGifAnimation(const std::vector<Bitmap32>& frames, int delayCs, std::vector<uint8_t>& out,
                        std::string& error);

// The fixed 256-entry palette: the 6 x 6 x 6 colour cube (index r * 36 + g * 6 + b, levels
// 0, 51, ..., 255) followed by 40 greys (k * 255 / 41 for k = 1..40, rounded) between the
// cube's own six.
const std::vector<uint32_t>& FixedGifPalette();
// The index of the palette entry nearest to `color` (squared RGB distance).
uint8_t NearestFixedPaletteIndex(uint32_t color);

}  // namespace kx
