#pragma once
// Still image objects: TAnimImgObject (what image and GIF objects share) and TImgObject.
//
// Finding the file: the name as stored; when no file of that name exists, the common folder
// + "images/" + its file name part (tried when the keys are read and again at Prepare; the
// show also tries the extraction folder, TAnimObjects::ResolveFiles). A file that cannot be
// found or decoded leaves the object unprepared: it draws nothing and never steps.
//
// Keys of a still image: "Filename" (BMP, JPEG, GIF first frame or PNG), "Transparent"
// (default 1), "TransparentType" (0 for a name ending in ".png" in any case, else 1; 0 the
// PNG's alpha, 1 the colour of the image's bottom-left pixel, 2 "TransparentColor"),
// "TransparentColor" (Windows colour value, default 0).
//
// What shows of each image pixel (its coverage, ObjectDrawing.h), with A the object's alpha,
// round("Opacity" x 2550 / 100) changed by the fades:
// - a PNG with Transparent 1, TransparentType 0 and an alpha plane: its alpha; drawn with
//   PNG alpha x A div 255, so soft edges stay soft and the bottom-left colour stays;
// - any other image: all of it, drawn with A; and, with Transparent 1 (except for a PNG of
//   type 0), pixels equal to the key colour (the bottom-left pixel, or TransparentColor for
//   type 2) do not show at all. A PNG of type 1 or 2, or without an alpha plane, is drawn with
//   A too, so that "Opacity" and the fades show on it like on any other image.
// - pixels that are fully transparent in a GIF drawn as a still image do not show.
// The image is scaled onto the draw rectangle with the draft filter (DraftScale: block
// averages when shrinking), once per rectangle size, and mirrored while the object faces left.
#include <string>
#include <vector>

#include "anim/AnimObjects.h"

namespace kx {

class TAnimImgObject : public TAnimObject {
 public:
  using TAnimObject::TAnimObject;

  std::string FileName;
  uint32_t KeyColor = 0;  // 0xAARRGGBB
  uint8_t Transparent = 1;
  uint8_t TransparentType = 0;
  int32_t TransparentColor = 0;  // Windows colour value

 protected:
  // Reads "Filename" and the three transparency keys of section "Obj" + Index.
  void ReadImageKeys(const IniSections& keys, uint8_t defaultType);
  // "Filename", "Transparent", "TransparentType", "TransparentColor" lines, the file written
  // by its name alone when it lies in the common folder's "images/".
  std::string ImageKeysText(bool withFileName) const;
  std::string FileNameText() const;
  // When FileName names no file but the common folder's "images/" holds one of that file
  // name, FileName becomes that path.
  void LookUpCommonFolder();
  std::string CommonImagesFolder() const;
  // The preparation of an image object once its picture was read or not (`loaded`): one
  // that could not be read is never shown; otherwise it starts at its opacity. Returns
  // `loaded`.
  bool PrepareLoaded(bool loaded);
};

class TImgObject : public TAnimImgObject {
 public:
  explicit TImgObject(const TObjectServices& services = {});
  ~TImgObject() override;

  void Prepare() override;
  std::string SaveToText() override;
  void Draw(Bitmap32& frame) override;
  // Reads its own keys, then the shared ones.
  virtual void LoadFromText(const IniSections& keys);

  Bitmap32 FrameImage;              // the decoded picture
  std::vector<uint8_t> AlphaPlane;  // a PNG's alpha, Width x Height bytes
  bool IsPng = false;               // the name ends in ".png"
  bool AlphaRead = false;           // the alpha plane was read

  // What shows of each pixel (see the top of this file).
  const Bitmap32& CoverageImage() const { return coverage_; }

 private:
  bool Load();
  void BuildCoverage();

  Bitmap32 coverage_;
  Bitmap32 scaled_;  // coverage_ draft-scaled to the last draw rectangle's size
};

}  // namespace kx
