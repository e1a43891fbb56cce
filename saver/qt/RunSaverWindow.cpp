#include "saver/qt/RunSaverWindow.h"

#include <QStandardPaths>

#include "anim/qt/QtTextPainter.h"
#include "platform/Files.h"
#include "platform/audio/SdlAudioService.h"
#include "platform/qt/QtMessageBox.h"
#include "project/UserSettings.h"
#include "saver/ShowProject.h"
#include "saver/qt/ScrSvrWindow.h"

namespace kx {

std::string CommonMediaFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty()) return "";
  return documents.toStdString() + "/KXMedia/";
}

void RunSaverWindow(TKXCProject& project, const SaverFolders& folders) {
  SdlAudioService audio;
  QtMessageBox messages;
  TQtTextPainter textPainter;
  SaverEnvironment environment;
  environment.clock = &DefaultClock();
  environment.audio = &audio;
  environment.messages = &messages;
  environment.extractionFolder = folders.ExtractionFolder();
  environment.commonFolder = CommonMediaFolder();
  environment.executableFolder = FolderOf(folders.exePath);
  environment.textPainter = &textPainter;
  TKXfmScrSvr window(project, environment);
  window.ShowModal();
}

void PreviewItem(const TKXCProject& running, const std::string& itemPath) {
  const SaverFolders folders = SaverFolders::ForThisProcess();
  QtMessageBox messages;
  PreviewItem(running, itemPath, UserSettingsPath(folders.exePath), messages,
              [&folders](TKXCProject& project) { RunSaverWindow(project, folders); });
}

}  // namespace kx
