#pragma once
// TKXPreview: the preview picture of a skin window. It shows one file of the show, always
// stretched over the control.
//
// LoadFile makes the picture at the control's size with the smooth resize (SmoothResize.h),
// whatever the file's shape; a later change of the control's size stretches that picture.
#include <string>

#include "configui/StandardControls.h"

namespace kx {

class TKXPreview : public TImage {
 public:
  explicit TKXPreview(QWidget* parent);

  // Shows the file: a scene package (".kxp") by its picture; a ".jpg", ".bmp" or ".gif"
  // picture as it is; any other file as an empty picture (nothing drawn). A file that fails
  // to load raises a SkinError with the reason, and the control keeps what it showed.
  void LoadFile(const std::string& path);
  const std::string& FileName() const { return fileName_; }

  std::string UnavailableMsg;  // kept for the skin; never shown

 private:
  std::string fileName_;
};

}  // namespace kx
