// Loading the next item: the kind from the extension, the decoding or the scene load, the
// fit to the screen or to the render size, and the hand-over of a scene to the engine.
//
// Items come from the payload's media store: an item's file is written to the extraction
// folder when the item is loaded, and the file of the item it replaces is released, so the
// temporary folder holds about one item however many the show has.
#include <cstring>

#include "imaging/PictureCodec.h"
#include "imaging/Resample.h"
#include "payload/MediaStore.h"
#include "platform/Files.h"
#include "saver/SaverShow.h"

namespace kx {

namespace {

// A decoded picture drawn onto black: transparent parts of a GIF become black, and every
// pixel is opaque, as the frames of the show are.
void FlattenOntoBlack(Bitmap32& picture) {
  uint32_t* p = picture.Data();
  for (size_t i = 0, n = picture.PixelCount(); i < n; ++i) {
    const uint32_t a = AlphaOf(p[i]);
    if (a == 0xFF) continue;
    p[i] = Rgb(RedOf(p[i]) * a / 255, GreenOf(p[i]) * a / 255, BlueOf(p[i]) * a / 255);
  }
}

}  // namespace

bool TSaverShow::LoadNextItem() {
  // The frame on the display may be the current item's own, which the load replaces.
  presenter_.HoldShownFrame();
  const std::string previous = LastLoaded;
  MediaFileExists(NextItem);
  const bool loaded = IsStillPictureItem(NextItem) ? LoadPictureItem() : LoadSceneItem();
  // Pictures are decoded and scenes read whole, so the replaced item's file is not read
  // again; it is written anew should the item come back. An item that failed stays, as the
  // same item is tried again at the next change.
  if (loaded && !previous.empty() && previous != LastLoaded) ReleaseMediaFile(previous);
  if (loaded) PictureOnScreen = false;  // the new item is still to be shown
  return loaded;
}

bool TSaverShow::LoadPictureItem() {
  // The picture is decoded before anything changes, so one that cannot be decoded leaves
  // the current item on the screen.
  Bitmap32 decoded;
  std::string error;
  if (!DecodePictureFile(NextItem, decoded, error) || decoded.Empty()) return false;
  FlattenOntoBlack(decoded);

  const ItemSize screen = presenter_.Screen();
  IsPicture = true;
  FitWidth = decoded.Width();
  FitHeight = decoded.Height();
  if (DirectXActive) {
    // Rendered at the quality's size and scaled to the whole display: the aspect ratio is not
    // kept. Any other quality keeps the size of the previous picture (the picture's own size
    // for the first one).
    FitWidth = screen.Width;
    FitHeight = screen.Height;
    if (const auto size = RenderSize()) {
      PictureFrame.SetSize(size->Width, size->Height);
    } else if (PictureFrame.Empty()) {
      PictureFrame.SetSize(decoded.Width(), decoded.Height());
    }
    ResampleInto(decoded, PictureFrame, ResampleFilter::Lanczos3);
  } else if (Stretch) {
    FitWidth = screen.Width;
    FitHeight = screen.Height;
    if (Proportional) {
      const ItemSize fit = FitByAspect(decoded.Width(), decoded.Height(), screen.Width, screen.Height);
      FitWidth = fit.Width;
      FitHeight = fit.Height;
    }
    PictureFrame = ResizeLanczos(decoded, FitWidth, FitHeight);
  } else {
    PictureFrame = std::move(decoded);
  }
  // The sounds of a previous scene end with it.
  StopSceneSounds();
  LastLoaded = NextItem;
  return true;
}

bool TSaverShow::LoadSceneItem() {
  if (!MediaFileExists(NextItem) || !Scene || !Engine) return false;
  IsPicture = false;
  // The objects of the previous scene stop before its content goes. A damaged package is
  // shown as far as it was read. The engine is given the new bitmaps at once: the load
  // replaced the ones it pointed to.
  if (Objects) Objects->Clear();
  Scene->LoadFromFile(NextItem);
  Scene->SetSpeed(Speed);
  Engine->SetProject(*Scene, Objects.get());
  const ItemSize screen = presenter_.Screen();
  const Bitmap32* picture = Scene->Picture.get();
  FitWidth = picture != nullptr ? picture->Width() : 0;
  FitHeight = picture != nullptr ? picture->Height() : 0;
  if (DirectXActive) {
    FitWidth = screen.Width;
    FitHeight = screen.Height;
    if (const auto size = RenderSize()) Scene->Resize(Proportional, size->Width, size->Height);
  } else if (Stretch) {
    Scene->Resize(Proportional, screen.Width, screen.Height);
    picture = Scene->Picture.get();
    FitWidth = picture != nullptr ? picture->Width() : 0;
    FitHeight = picture != nullptr ? picture->Height() : 0;
  }

  // The objects, with their image files looked up in the extraction folder when they are
  // not where the scene says.
  if (Objects) {
    Objects->LoadFromText(Scene->ObjectListText);
    Objects->ResolveFiles(env_.extractionFolder);
  }
  Engine->SetProject(*Scene, Objects.get());
  Engine->SetWeather(false);
  Engine->Start();
  Engine->SetWeather(Scene->Weather && Scene->Weather->Kind > 0);

  if (SoundOn) {
    StopSceneSounds();
    LoadSceneSounds();
    TickSceneSounds();
  }
  LastLoaded = NextItem;
  return true;
}

}  // namespace kx
