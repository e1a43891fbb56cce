#pragma once
// TSaverShow: the logic of the full-screen show, without a window.
//
// The saver window (TKXfmScrSvr) owns one TSaverShow, forwards its events to the handlers
// below (FormShow, FormClose, FormCloseQuery, the input handlers, the music notification)
// and calls AppIdle whenever its event queue is empty. Everything the show needs of the
// outside comes in as a service: the window (SaverWindowPort), the clock, the audio service,
// the message boxes and the folders where media files are looked up. Tests drive it with a
// fake window, a fake clock and a recording audio service.
//
// The show in short:
// - FormShow builds the playlist from the ticked items, chooses the presentation (scaled or
//   unscaled), starts the music, loads the first item and installs the idle handler.
// - Each idle call ticks the scene sounds, changes the item when its time is over (choose,
//   load and fit, then a transition or a black fill), steps a scene's animation and presents
//   one frame, with a floor of 33 ms per frame.
// - A character key, a click or a mouse movement of more than 2 pixels asks the window to
//   close; F1 only toggles the help flag.
//
// Timing uses a 64-bit millisecond tick (ShowTick), so nothing misbehaves when the platform's
// 32-bit tick wraps.
//
// Failures never reach the user during the show: an idle call that fails ends silently and
// the next one goes on. An item that cannot be loaded (a picture that does not decode, a
// missing file) changes nothing on the screen: the current item stays, and the change timer
// starts again, so the next change comes after the item's duration as usual. A first item
// that cannot be loaded leaves the screen black until the next change. A transition whose
// effect number is not a number from 1 to 169 is skipped: the new item appears at once.
// Sounds and music that cannot be opened stay silent.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "anim/AnimEngine.h"
#include "anim/AnimObjects.h"
#include "anim/TextPainter.h"
#include "audio/MediaPlayer.h"
#include "audio/SoundEffect.h"
#include "imaging/Bitmap32.h"
#include "platform/AudioService.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "project/KXCProject.h"
#include "saver/ItemFit.h"
#include "saver/SaverWindowPort.h"
#include "saver/ShowPresenter.h"
#include "saver/ShowTick.h"
#include "scene/Project.h"

namespace kx {

// The services and folders of one show. The services must outlive the show.
struct SaverEnvironment {
  Clock* clock = nullptr;               // null: the process clock
  AudioService* audio = nullptr;        // required
  MessageBoxService* messages = nullptr;  // required
  std::string extractionFolder;         // where the payload was extracted, trailing '/'
  std::string commonFolder;             // the shared media folder, trailing '/' ("" for none)
  std::string executableFolder;         // the folder of the running program, trailing '/'
  TTextPainter* textPainter = nullptr;  // draws the text objects of scenes; null: none drawn
};

// The schedule of one scene sound.
struct TSoundState {
  bool Loaded = false;     // the file was found and read into the sound's voice
  bool Started = false;    // mode 0: the loop has been started
  uint64_t LastStart = 0;  // tick of the last start (or of the load), ms
  int64_t Interval = 0;    // mode 1: seconds until the next start
};

// The keys the show tells apart when a key goes down.
enum class SaverKey { F1, Other };

class TSaverShow {
 public:
  static constexpr int32_t kFrameFloorMs = 33;
  // The longest the show rests at once while the screen cannot change.
  static constexpr int32_t kRestMaxMs = 1000;
  // The refresh rate assumed when the platform does not tell.
  static constexpr double kDefaultRefreshHz = 60.0;
  static constexpr int32_t kMouseCountdown = 5;
  static constexpr int32_t kMouseSlack = 2;  // pixels a move may go without closing

  // Creates the show (and runs FormCreate). The music player exists from here on.
  TSaverShow(SaverWindowPort& window, SaverEnvironment environment);
  // Closes the show first when it is still running.
  ~TSaverShow();
  TSaverShow(const TSaverShow&) = delete;
  TSaverShow& operator=(const TSaverShow&) = delete;

  // The project to show; not owned. Set before FormShow.
  void SetProject(TKXCProject& project) { Project = &project; }

  // Window events.
  void FormCreate();
  void FormShow();
  void FormClose();
  bool FormCloseQuery();  // true: the window may close
  void FormKeyDown(SaverKey key);
  void FormKeyPress();  // a key that produced a character
  void FormMouseMove(int32_t x, int32_t y);
  void FormMouseDown();
  void FormMouseUp();
  // The music player reported the end of a file: the next one starts.
  void MediaPlayerNotify();
  // Window thread: hands a pending end-of-music report to MediaPlayerNotify.
  void DeliverMusicNotification();

  // The idle handler: one step of the show. Always false (call again as soon as idle).
  bool AppIdle();
  // The window's size has changed (a daemon's window that follows its screen): the
  // presentation starts again at the new size and the current item is loaded and fitted
  // anew. Call it between two idle calls.
  void ScreenResized();

  // The sequencer.
  void NextItemIndex();
  void BuildTransitionList();
  void RunTransition(int32_t durationMs);
  void DrawTransitionStep(int32_t effect, int32_t percent);
  void LoadSceneSounds();
  void TickSceneSounds();
  void StopSceneSounds();
  void NextMusicIndex();
  // Where a scene sound's file is found: the name as stored, then its file name part in
  // the extraction folder, in the common folder + "sounds/", in the program's folder +
  // "sounds/". "" when it is in none of them.
  std::string ResolveSoundFile(const std::string& name) const;

  // Loads NextItem: a still picture is decoded and fitted into PictureFrame, a scene package
  // is loaded, fitted and handed to the engine. False, with nothing changed, when the item
  // cannot be loaded (a picture that does not decode, a missing scene file).
  bool LoadNextItem();

  // Presentation.
  void PresentFrame();
  // One refresh interval of the display, in ms (at least 1).
  int64_t RefreshIntervalMs();
  // Milliseconds until the current item's time is over (kRestMaxMs when items do not advance).
  int64_t MsUntilChange();
  // False when the frame did not reach the display.
  bool PresentBitmap32(const Bitmap32& frame, int32_t x, int32_t y, const ChangedRows* changed = nullptr);
  void PresentBitmap(const Bitmap32& bitmap, int32_t x, int32_t y);
  // The render size for the setting DirectXQuality; none for other values.
  std::optional<ItemSize> RenderSize() const;

  TShowPresenter& Presenter() { return presenter_; }
  ShowTick& Tick() { return tick_; }
  bool Running() const { return shown_; }

  // The show's state, named as the window's fields are.
  std::unique_ptr<TAnimEngine> Engine;
  std::unique_ptr<TProject> Scene;
  std::unique_ptr<TAnimObjects> Objects;  // the animated objects of the current scene
  std::vector<std::string> Playlist;
  int32_t FitWidth = 0, FitHeight = 0;  // size of the current item on screen
  bool DirectXActive = false;           // frames are scaled to the whole display
  bool IsPicture = false;               // the current item is a still picture
  Bitmap32 PictureFrame;                // the current still picture, fitted
  std::vector<std::string> MusicList;
  int32_t ShowImageMode = 0;
  Bitmap32 OldFrame, NewFrame, WorkFrame;  // transition buffers
  std::array<TSoundState, TSoundEffect::kVoiceCount> SoundStates{};
  std::unique_ptr<TSoundEffect> Effects;  // player of the scene sounds
  std::vector<std::string> TransitionList;  // effect numbers as text
  int32_t TransitionTime = 0;               // ms per transition
  bool Proportional = false, Stretch = false;
  bool AutoAdvance = false;  // items advance by time (the setting Random)
  int32_t Duration = 0;      // seconds per item
  int32_t Speed = 0;         // scene animation speed, percent
  bool TransitionOn = false, SoundOn = false;
  std::string NextItem;
  bool MusicOn = false;
  int32_t MusicIndex = -1;
  int32_t MusicMode = 0;
  bool ShowClock = false;
  int32_t ClockPos = 0;
  int32_t ItemIndex = -1;
  int32_t CurrentDuration = 0;  // seconds the current item stays
  TKXCProject* Project = nullptr;
  std::string LastLoaded;
  TMediaPlayer MediaPlayer;

  // Input state and the ticks of the last item change and the last presented frame.
  int32_t MouseCountdown = kMouseCountdown;
  int32_t LastMouseX = -1, LastMouseY = -1;
  bool HelpFlag = false;
  uint64_t LastChangeTick = 0;
  uint64_t LastFrameTick = 0;
  // What the display shows is the current still picture as it stands: nothing needs to be
  // presented until the item changes (or the screen's size does).
  bool PictureOnScreen = false;
  // The number of the scene frame PresentFrame presented last (see TAnimEngine::FrameNumber),
  // unset when it presented something else: the next one then needs only its changed rows
  // sent. The presenter drops those rows when another bitmap was shown or held in between.
  std::optional<uint64_t> PresentedSceneFrame;

 private:
  // Loads NextItem and enters it by a transition or a black fill; a failure leaves the
  // screen as it was.
  void ChangeItem();
  bool LoadPictureItem();
  bool LoadSceneItem();
  void StartMusic();
  void RestartMusic();
  int64_t RandomInterval(const TSoundSlot& slot);

  SaverWindowPort& window_;
  SaverEnvironment env_;
  ShowTick tick_;
  TShowPresenter presenter_;
  bool shown_ = false;
  bool cursorHidden_ = false;
  bool inIdle_ = false;
};

}  // namespace kx
