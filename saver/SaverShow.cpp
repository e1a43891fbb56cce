// The show's life: set-up when the window is shown, tear-down when it closes, the input
// rules and the background music.
#include "saver/SaverShow.h"

#include <cstdlib>

#include "base/Random.h"
#include "payload/MediaStore.h"
#include "platform/Files.h"
#include "saver/ShowProject.h"

namespace kx {

TSaverShow::TSaverShow(SaverWindowPort& window, SaverEnvironment environment)
    : MediaPlayer(*environment.audio, [&window] { window.WakeForMusic(); }),
      window_(window),
      env_(std::move(environment)),
      tick_(env_.clock != nullptr ? *env_.clock : DefaultClock()),
      presenter_(window) {
  MediaPlayer.OnNotify = [this] { MediaPlayerNotify(); };
  FormCreate();
}

TSaverShow::~TSaverShow() {
  if (shown_) FormClose();
}

void TSaverShow::FormCreate() {
  Speed = 100;
  Proportional = true;
}

void TSaverShow::FormShow() {
  if (Project == nullptr) return;
  const TKXCSetting& setting = Project->Setting;
  shown_ = true;

  // 1, 2: the players and the transition buffers.
  TransitionList.clear();
  Effects = std::make_unique<TSoundEffect>(*env_.audio);
  Effects->SetVolume(setting.SoundVolume);
  OldFrame.SetSize(800, 600);
  NewFrame.SetSize(800, 600);
  WorkFrame.SetSize(800, 600);
  PictureFrame.SetSize(0, 0);

  // 3: input state and the random generator.
  HelpFlag = false;
  PictureOnScreen = false;
  RandomSeed = tick_.Source().TickMs();
  LastMouseX = -1;
  LastMouseY = -1;

  // 4: the items that take part, in file order.
  Playlist.clear();
  const TKXCFileList& files = Project->FileList;
  for (size_t i = 0; i < files.Names.size(); ++i)
    if (i < files.Flags.size() && files.Flags[i] == "TRUE") Playlist.push_back(files.Names[i]);

  // 5, 6: the presentation, fixed for the life of the window.
  presenter_.Start(setting.DirectX);
  DirectXActive = presenter_.DirectXActive();

  // 7: the show's settings.
  if (Playlist.empty()) {
    env_.messages->Show(MessageKind::Error, kApplicationTitle, kPleaseConfigureMessage);
  } else {
    Stretch = setting.Stretch;
    AutoAdvance = setting.Random;
    Duration = setting.Duration;
    Speed = setting.Speed;
    ShowImageMode = setting.ShowImageMode;
    TransitionOn = setting.Transition;
    TransitionTime = setting.TransitionTime;
    ShowClock = setting.ShowClock;
    ClockPos = setting.ClockPos;
    SoundOn = setting.Sound;
    BuildTransitionList();
    ItemIndex = -1;
    NextItemIndex();
    NextItem = Playlist[static_cast<size_t>(ItemIndex)];
    Proportional = setting.Proportional;
  }

  // 8: music, whether or not there is anything to show.
  StartMusic();

  // 9: the first item and the idle handler. The first item is shown by the first idle call,
  // without a transition.
  if (!Playlist.empty()) {
    Scene = std::make_unique<TProject>();
    TObjectServices objectServices;
    objectServices.clock = &tick_.Source();
    objectServices.textPainter = env_.textPainter;
    objectServices.commonFolder = env_.commonFolder;
    Objects = std::make_unique<TAnimObjects>(objectServices);
    Engine = std::make_unique<TAnimEngine>(tick_.Source());
    Engine->ShowClock = ShowClock;
    Engine->Clock.Corner = static_cast<uint8_t>(ClockPos);
    CurrentDuration = Duration;
    try {
      LoadNextItem();
    } catch (...) {
      // The screen stays black until the next change.
    }
    LastChangeTick = tick_.NowMs();
    window_.SetIdleHandler(true);
    window_.SetCursorHidden(true);
    cursorHidden_ = true;
  }

  // 10.
  LastFrameTick = tick_.NowMs();
}

void TSaverShow::FormClose() {
  if (!shown_) return;
  shown_ = false;
  // The window may still draw the frame on the display once the items are gone.
  presenter_.HoldShownFrame();
  // The objects' workers end before the scene they belong to goes.
  Objects.reset();
  Scene.reset();
  if (cursorHidden_) {
    window_.SetCursorHidden(false);
    cursorHidden_ = false;
  }
  env_.audio->StopSimple();
  window_.SetIdleHandler(false);
  Engine.reset();
  Playlist.clear();
  PictureFrame.SetSize(0, 0);
  if (MusicOn) MusicList.clear();
  OldFrame.SetSize(0, 0);
  NewFrame.SetSize(0, 0);
  WorkFrame.SetSize(0, 0);
  StopSceneSounds();
  TransitionList.clear();
  // The players are released with the window; the music stops now.
  try {
    MediaPlayer.Close();
  } catch (...) {
  }
  Effects.reset();
}

bool TSaverShow::FormCloseQuery() {
  // The next mouse events after a close request are ignored. The system never asks for a
  // screensaver password here, so closing is always allowed.
  MouseCountdown = kMouseCountdown;
  return true;
}

void TSaverShow::FormKeyDown(SaverKey key) {
  if (key != SaverKey::F1) return;
  HelpFlag = !HelpFlag;
  if (!HelpFlag && Engine) Engine->Reset();
}

void TSaverShow::FormKeyPress() { window_.RequestClose(); }

void TSaverShow::FormMouseMove(int32_t x, int32_t y) {
  if (MouseCountdown > 0) {
    --MouseCountdown;
    return;
  }
  if (LastMouseX == -1) {
    LastMouseX = x;
    LastMouseY = y;
  }
  if (std::abs(x - LastMouseX) > kMouseSlack || std::abs(y - LastMouseY) > kMouseSlack) window_.RequestClose();
  LastMouseX = x;
  LastMouseY = y;
}

void TSaverShow::FormMouseDown() { window_.RequestClose(); }

void TSaverShow::FormMouseUp() {}

// Music.

void TSaverShow::NextMusicIndex() {
  const int32_t count = static_cast<int32_t>(MusicList.size());
  if (MusicMode != 0) {
    ++MusicIndex;
    if (MusicIndex >= count) MusicIndex = 0;
  } else if (count < 2) {
    MusicIndex = 0;
  } else {
    int32_t next;
    do {
      next = RandomBelow(count);
    } while (next == MusicIndex);
    MusicIndex = next;
  }
}

void TSaverShow::StartMusic() {
  const TKXCSetting& setting = Project->Setting;
  MusicOn = setting.Music && !setting.MusicFile.empty();
  if (!MusicOn) return;
  // "a.mp3;b.ogg": a piece without a folder is a file of the payload.
  MusicList.clear();
  std::string text = setting.MusicFile;
  if (text.back() != ';') text += ';';
  size_t start = 0;
  for (size_t semi = text.find(';'); semi != std::string::npos; semi = text.find(';', start)) {
    const std::string piece = text.substr(start, semi - start);
    start = semi + 1;
    if (piece.empty()) continue;
    MusicList.push_back(FolderOf(piece).empty() ? env_.extractionFolder + piece : piece);
  }
  MusicMode = setting.MusicMode;
  MusicIndex = -1;
  NextMusicIndex();
  try {
    if (MusicList.empty()) return;
    MediaPlayer.FileName = MusicList[static_cast<size_t>(MusicIndex)];
    MediaFileExists(MediaPlayer.FileName);  // a track of the payload is written when it starts
    MediaPlayer.Notify = true;
    MediaPlayer.Open();
    MediaPlayer.SetMusicVolume(setting.MusicVolume);
    MediaPlayer.Play();
  } catch (...) {
    // The show runs silent.
  }
}

void TSaverShow::RestartMusic() {
  NextMusicIndex();
  MediaPlayer.Close();
  // The track that ended is let go (it is written again when its turn comes back).
  const std::string previous = MediaPlayer.FileName;
  MediaPlayer.FileName = MusicList[static_cast<size_t>(MusicIndex)];
  if (previous != MediaPlayer.FileName) ReleaseMediaFile(previous);
  MediaFileExists(MediaPlayer.FileName);
  MediaPlayer.Open();
  MediaPlayer.SetMusicVolume(Project->Setting.MusicVolume);
  MediaPlayer.Play();
}

void TSaverShow::MediaPlayerNotify() {
  try {
    if (MusicOn && !MusicList.empty() && Project != nullptr &&
        MediaPlayer.Position() >= MediaPlayer.Length())
      RestartMusic();
  } catch (...) {
    // A file that cannot be opened ends the music.
  }
  MediaPlayer.Notify = true;
}

void TSaverShow::DeliverMusicNotification() {
  try {
    MediaPlayer.DeliverPendingNotification();
  } catch (...) {
  }
}

}  // namespace kx
