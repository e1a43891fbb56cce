#include "configui/KXPreview.h"

#include <memory>

#include "configui/SkinError.h"
#include "configui/SmoothResize.h"
#include "imaging/PictureCodec.h"
#include "imaging/PictureKinds.h"
#include "payload/MediaStore.h"
#include "platform/Files.h"
#include "project/IniText.h"
#include "scene/Project.h"

namespace kx {
namespace {


}  // namespace

TKXPreview::TKXPreview(QWidget* parent) : TImage(parent) { stretch_ = true; }

void TKXPreview::LoadFile(const std::string& path) {
  const std::string extension = UpperExtension(path);
  const TMediaLease lease(path);  // a payload item is there while it is read
  Bitmap32 source;
  if (extension == ".KXP") {
    TProject scene;
    if (!scene.LoadFromFile(path) || !scene.Picture) throw SkinError("File: " + path + "\r\n" + scene.LastError());
    source = *scene.Picture;
  } else if (IsStillPictureName(path)) {
    std::string error;
    if (!DecodePictureFile(path, source, error)) throw SkinError(error);
  }
  fileName_ = path;
  stretch_ = true;
  // The picture is made at the control's size now; later size changes only stretch it.
  SetPicture(SkinImage(SkinPicture{SmoothResize(source, width(), height()), PictureFormat::Unknown}));
}

}  // namespace kx
