// form SKIN NAME OUT.png: builds one form of a skin file as its window, shows it off screen
// and writes a picture of its client area, so that skins can be looked at without a display.
//
//   --product NAME, --company NAME, --website URL   the placeholder values
//   --item FILE                                     a picture of the show (repeatable); the
//                                                   previews show the first one
#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "configui/ConfigWindow.h"
#include "imaging/PictureCodec.h"
#include "platform/MessageBox.h"
#include "tools/kxrender/Commands.h"

namespace kx::kxrender {
namespace {

// Messages of the skin loader go to stderr.
class StderrMessages final : public MessageBoxService {
 public:
  void Show(MessageKind, const std::string&, const std::string& text) override {
    std::fprintf(stderr, "kxrender form: message: %s\n", text.c_str());
  }
  bool Ask(const std::string&, const std::string&) override { return false; }
};

bool HaveDisplay() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

Bitmap32 ToBitmap(const QImage& shot) {
  const QImage image = shot.convertToFormat(QImage::Format_ARGB32);
  Bitmap32 bitmap(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) bitmap.SetPixel(x, y, row[x] | 0xFF000000u);
  }
  return bitmap;
}

}  // namespace

int RunForm(const Args& args) {
  std::vector<std::string> positional;
  TKXCProject project;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--product" && hasValue) {
      project.Setting.ProductName = args[++i];
    } else if (a == "--company" && hasValue) {
      project.Setting.Publisher = args[++i];
    } else if (a == "--website" && hasValue) {
      project.Setting.Website = args[++i];
    } else if (a == "--item" && hasValue) {
      project.FileList.Names.push_back(args[++i]);
      project.FileList.Flags.push_back("TRUE");
    } else if (a.rfind("--", 0) == 0) {
      std::fprintf(stderr, "kxrender form: unknown option %s\n", a.c_str());
      return 2;
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 3) {
    std::fprintf(stderr, "usage: kxrender form SKIN NAME OUT.png [--product NAME] [--company NAME] [--website URL] [--item FILE]...\n");
    return 2;
  }
  if (!HaveDisplay()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "kxrender";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);

  StderrMessages messages;
  TKXForms forms(&messages);
  ConfigServices services;
  services.messages = &messages;
  try {
    forms.LoadSkinFile(positional[0]);
    auto window = CreateSkinWindow(forms, project, positional[1]);
    window->Forms = &forms;
    window->Project = &project;
    window->Services = &services;
    window->setAttribute(Qt::WA_DontShowOnScreen);
    window->show();
    QApplication::processEvents();
    const Bitmap32 shot = ToBitmap(window->grab().toImage());
    window->close();
    std::vector<uint8_t> png;
    std::string error;
    if (!EncodePng(shot, png, error) || !WriteWholeFile(positional[2], png, error)) {
      std::fprintf(stderr, "kxrender form: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s: %d x %d\n", positional[2].c_str(), shot.Width(), shot.Height());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kxrender form: %s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace kx::kxrender
