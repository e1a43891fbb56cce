#pragma once
// The runners of the show on the real services: the process clock, SDL2_mixer sound, Qt
// message boxes and the folders of this process. A QApplication must exist.
#include <memory>
#include <string>

#include "anim/TextPainter.h"
#include "platform/AudioService.h"
#include "platform/MessageBox.h"
#include "platform/SoundOwner.h"
#include "saver/SaverShow.h"

#include "payload/SaverFolders.h"
#include "project/KXCProject.h"

namespace kx {

// The shared media folder: the user's documents folder + "/KXMedia/".
std::string CommonMediaFolder();

// The sound of one show. A show with sound takes the sound of this user's instances when
// `mayPlay` (not a small preview) and no other instance owns it; it then gets SDL2_mixer.
// Otherwise its music and sounds are switched off and the sound device is not opened.
struct ShowSound {
  std::unique_ptr<SoundOwner> owner;
  std::unique_ptr<AudioService> audio;
};
ShowSound TakeShowSound(TKXCProject& project, bool mayPlay);

// The services and folders of a show of this process on the real platform.
SaverEnvironment ShowEnvironment(const SaverFolders& folders, AudioService& audio, MessageBoxService& messages,
                                 TTextPainter& textPainter);

// Shows the saver window modally for a prepared project and returns when it has closed.
void RunSaverWindow(TKXCProject& project, const SaverFolders& folders);

// "Preview selected file": shows one item of the running project full-screen, with the
// user's settings file of this program applied.
void PreviewItem(const TKXCProject& running, const std::string& itemPath);

}  // namespace kx
