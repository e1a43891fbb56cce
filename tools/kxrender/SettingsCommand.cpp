// settings OUT.png: builds the settings dialog with the values of a default project (or of a
// user settings file), shows it off screen and writes a picture of it, so that the dialog can
// be looked at without a display.
//
//   --page N          the page to show: 1 "General Settings" (default), 2 "Background Music"
//   --ini FILE.ini    read the values from this user settings file as the dialog does
#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "configui/SettingValues.h"
#include "configui/SettingWindow.h"
#include "imaging/PictureCodec.h"
#include "tools/kxrender/Commands.h"

namespace kx::kxrender {

int RunSettings(const Args& args) {
  std::string out, ini;
  int page = 1;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--page" && hasValue) {
      page = std::atoi(args[++i].c_str());
    } else if (a == "--ini" && hasValue) {
      ini = args[++i];
    } else if (a.rfind("--", 0) == 0 || !out.empty()) {
      std::fprintf(stderr, "kxrender settings: unexpected argument %s\n", a.c_str());
      return 2;
    } else {
      out = a;
    }
  }
  if (out.empty() || page < 1 || page > 2) {
    std::fprintf(stderr, "usage: kxrender settings OUT.png [--page 1|2] [--ini FILE.ini]\n");
    return 2;
  }
  const char* display = std::getenv("DISPLAY");
  if (std::getenv("QT_QPA_PLATFORM") == nullptr && (display == nullptr || *display == '\0'))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  char name[] = "kxrender";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);

  TKXCProject project;
  // A settings file "X.ini" is the one of a screensaver "X.scr" beside it.
  const std::string exe = ini.empty() ? std::string() : ini.substr(0, ini.size() - (ini.size() >= 4 ? 4 : 0)) + ".scr";
  const UserSettingsFile settings(exe, "");
  const SettingDialogValues values = ReadSettingDialogValues(project, ini.empty() ? nullptr : &settings);
  TfmSettingWindow dialog;
  dialog.MusicList = values.musicList;
  dialog.SetValues(values.values);
  dialog.Button1->setEnabled(!ini.empty());
  dialog.PageControl1->SetCurrentPage(page - 1);
  dialog.setAttribute(Qt::WA_DontShowOnScreen);
  dialog.show();
  QApplication::processEvents();
  const QImage shot = dialog.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  dialog.close();
  Bitmap32 bitmap(shot.width(), shot.height());
  for (int y = 0; y < shot.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(shot.constScanLine(y));
    for (int x = 0; x < shot.width(); ++x) bitmap.SetPixel(x, y, row[x] | 0xFF000000u);
  }
  std::vector<uint8_t> png;
  std::string error;
  if (!EncodePng(bitmap, png, error) || !WriteWholeFile(out, png, error)) {
    std::fprintf(stderr, "kxrender settings: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %d x %d\n", out.c_str(), bitmap.Width(), bitmap.Height());
  return 0;
}

}  // namespace kx::kxrender
