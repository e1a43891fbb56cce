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

ShowSound TakeShowSound(TKXCProject& project, bool mayPlay) {
  ShowSound sound;
  // A show without sound leaves the sound to others.
  if (mayPlay && (project.Setting.Music || project.Setting.Sound)) sound.owner = std::make_unique<SoundOwner>();
  if (sound.owner && sound.owner->Owns()) {
    sound.audio = std::make_unique<SdlAudioService>();
  } else {
    project.Setting.Music = false;
    project.Setting.Sound = false;
    sound.audio = std::make_unique<SilentAudioService>();
  }
  return sound;
}

SaverEnvironment ShowEnvironment(const SaverFolders& folders, AudioService& audio, MessageBoxService& messages,
                                 TTextPainter& textPainter) {
  SaverEnvironment environment;
  environment.clock = &DefaultClock();
  environment.audio = &audio;
  environment.messages = &messages;
  environment.extractionFolder = folders.ExtractionFolder();
  environment.commonFolder = CommonMediaFolder();
  environment.executableFolder = FolderOf(folders.exePath);
  environment.textPainter = &textPainter;
  return environment;
}

void RunSaverWindow(TKXCProject& project, const SaverFolders& folders) {
  // When another instance (a show on another monitor) owns the sound, this one is silent.
  const ShowSound sound = TakeShowSound(project, true);
  QtMessageBox messages;
  TQtTextPainter textPainter;
  TKXfmScrSvr window(project, ShowEnvironment(folders, *sound.audio, messages, textPainter));
  window.ShowModal();
}

void PreviewItem(const TKXCProject& running, const std::string& itemPath) {
  const SaverFolders folders = SaverFolders::ForThisProcess();
  QtMessageBox messages;
  PreviewItem(running, itemPath, UserSettingsPathForRun(folders.exePath), messages,
              [&folders](TKXCProject& project) { RunSaverWindow(project, folders); });
}

}  // namespace kx
