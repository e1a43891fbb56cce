// kxscene [FILE]: the scene maker. FILE is a photo to start a new scene from, or a scene
// package (.kxp) to open.
#include <QApplication>

#include "kxscene/SceneWindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("kxscene");
  kx::kxscene::SceneWindow window;
  window.show();
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) window.OpenFile(args.at(1));
  return QApplication::exec();
}
