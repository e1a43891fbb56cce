#include "saver/qt/RunSaverWindow.h"

#include <QStandardPaths>

#include <memory>

#include "anim/qt/QtTextPainter.h"
#include "platform/Files.h"
#include "platform/SilentAudioService.h"
#include "platform/SoundOwner.h"
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
  // When another instance (a show on another monitor) owns the sound, this one is silent.
  // A show without sound leaves the sound to others.
  std::unique_ptr<SoundOwner> owner;
  if (project.Setting.Music || project.Setting.Sound) owner = std::make_unique<SoundOwner>();
  std::unique_ptr<AudioService> audio;
  if (owner && owner->Owns()) {
    audio = std::make_unique<SdlAudioService>();
  } else {
    project.Setting.Music = false;
    project.Setting.Sound = false;
    audio = std::make_unique<SilentAudioService>();
  }
  QtMessageBox messages;
  TQtTextPainter textPainter;
  SaverEnvironment environment;
  environment.clock = &DefaultClock();
  environment.audio = audio.get();
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
  PreviewItem(running, itemPath, UserSettingsPathForRun(folders.exePath), messages,
              [&folders](TKXCProject& project) { RunSaverWindow(project, folders); });
}

}  // namespace kx
