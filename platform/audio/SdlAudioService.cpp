#include "platform/audio/SdlAudioService.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "platform/audio/MixerVolume.h"

namespace kx {
namespace {

constexpr int kSimpleChannel = AudioService::kVoiceCount;
constexpr int kChannelCount = AudioService::kVoiceCount + 1;
// Largest converted sound kept in memory (about 100 minutes of 44.1 kHz stereo).
constexpr size_t kMaxConvertedBytes = size_t{1} << 30;

// One converted sound. The mixer chunk points into `samples`, which therefore lives exactly as
// long as the chunk.
struct Sound {
  Mix_Chunk* chunk = nullptr;
  std::vector<Uint8> samples;

  Sound() = default;
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;
  ~Sound() {
    if (chunk != nullptr) Mix_FreeChunk(chunk);  // halts any channel still playing it
  }
};

}  // namespace

struct SdlAudioService::Impl {
  bool sdlStarted = false;
  bool mixerOpen = false;
  std::string deviceError;
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;

  std::array<bool, kVoiceCount> voiceOpen{};
  std::array<std::unique_ptr<Sound>, kVoiceCount> voices;
  std::unique_ptr<Sound> simple;

  Mix_Music* music = nullptr;
  // Read by the mixer's thread inside the finished hook. It is only changed while the hook is
  // removed, and installing or removing the hook takes the mixer's lock, so the two never meet.
  std::function<void()> musicFinished;

  void RequireOpen() const {
    if (!mixerOpen) throw AudioError(deviceError);
  }
  void RequireVoice(int voice) const {
    if (voice < 0 || voice >= kVoiceCount)
      throw AudioError("voice " + std::to_string(voice) + " out of range");
  }
  void EnsureChannels() {
    if (Mix_AllocateChannels(-1) < kChannelCount &&
        Mix_AllocateChannels(kChannelCount) < kChannelCount)
      throw AudioError(std::string("cannot allocate mixer channels: ") + Mix_GetError());
  }
  // Halts the music without the halt being reported as the end of the file: SDL2_mixer calls
  // the finished hook from Mix_HaltMusic itself.
  void HaltMusicQuietly() {
    Mix_HookMusicFinished(nullptr);
    Mix_HaltMusic();
    if (musicFinished) Mix_HookMusicFinished(&Impl::OnMusicFinished);
  }
  std::unique_ptr<Sound> Convert(const PcmSound& pcm) const;

  static void SDLCALL OnMusicFinished();
};

namespace {
std::atomic<SdlAudioService::Impl*> activeService{nullptr};
}

void SDLCALL SdlAudioService::Impl::OnMusicFinished() {
  Impl* impl = activeService.load(std::memory_order_acquire);
  if (impl != nullptr && impl->musicFinished) impl->musicFinished();
}

std::unique_ptr<Sound> SdlAudioService::Impl::Convert(const PcmSound& pcm) const {
  auto sound = std::make_unique<Sound>();
  if (pcm.FrameCount() == 0) return sound;
  SDL_AudioFormat source = 0;
  switch (pcm.BitsPerSample) {
    case 8:
      source = AUDIO_U8;
      break;
    case 16:
      source = AUDIO_S16LSB;
      break;
    case 32:
      source = AUDIO_S32LSB;
      break;
    default:
      throw AudioError(std::to_string(pcm.BitsPerSample) + " bits per sample");
  }
  if (pcm.Channels < 1 || pcm.Channels > 8 || pcm.SampleRate < 1)
    throw AudioError("unsupported sound layout");
  SDL_AudioCVT cvt;
  const int needed =
      SDL_BuildAudioCVT(&cvt, source, static_cast<Uint8>(pcm.Channels), pcm.SampleRate, format,
                        static_cast<Uint8>(channels), frequency);
  if (needed < 0) throw AudioError(SDL_GetError());
  const size_t length = static_cast<size_t>(pcm.FrameCount()) * pcm.BytesPerFrame();
  const size_t mult = static_cast<size_t>(std::max(cvt.len_mult, 1));
  if (length > kMaxConvertedBytes / mult ||
      length > static_cast<size_t>(std::numeric_limits<int>::max()))
    throw AudioError("sound too long");
  sound->samples.resize(length * mult);
  std::memcpy(sound->samples.data(), pcm.Data.data(), length);
  size_t converted = length;
  if (needed > 0) {
    cvt.buf = sound->samples.data();
    cvt.len = static_cast<int>(length);
    if (SDL_ConvertAudio(&cvt) < 0) throw AudioError(SDL_GetError());
    converted = static_cast<size_t>(cvt.len_cvt);
  }
  sound->samples.resize(converted);
  sound->samples.shrink_to_fit();
  if (converted == 0) return sound;
  sound->chunk = Mix_QuickLoad_RAW(sound->samples.data(), static_cast<Uint32>(converted));
  if (sound->chunk == nullptr) throw AudioError(Mix_GetError());
  return sound;
}

SdlAudioService::SdlAudioService(const SdlAudioOptions& options) : impl_(std::make_unique<Impl>()) {
  Impl* expected = nullptr;
  if (!activeService.compare_exchange_strong(expected, impl_.get()))
    throw std::logic_error("only one SDL audio service may exist at a time");
  // SIGINT and SIGTERM belong to the program, which ends cleanly on them; SDL must not take
  // them over.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
    impl_->deviceError = SDL_GetError();
    return;
  }
  impl_->sdlStarted = true;
  // Decoders that are missing simply leave their file types unplayable.
  Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_MID | MIX_INIT_FLAC);
  if (Mix_OpenAudioDevice(options.SampleRate, AUDIO_S16SYS, options.Channels, options.ChunkFrames,
                          nullptr, 0) < 0) {
    impl_->deviceError = Mix_GetError();
    return;
  }
  impl_->mixerOpen = true;
  Mix_QuerySpec(&impl_->frequency, &impl_->format, &impl_->channels);
  Mix_AllocateChannels(kChannelCount);
  Mix_ReserveChannels(kChannelCount);
}

SdlAudioService::~SdlAudioService() {
  if (impl_->mixerOpen) {
    Mix_HookMusicFinished(nullptr);
    Mix_HaltChannel(-1);
    for (auto& voice : impl_->voices) voice.reset();
    impl_->simple.reset();
    Mix_HaltMusic();
    if (impl_->music != nullptr) Mix_FreeMusic(impl_->music);
    impl_->music = nullptr;
    Mix_CloseAudio();
  }
  if (impl_->sdlStarted) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  activeService.store(nullptr, std::memory_order_release);
}

bool SdlAudioService::DeviceOpen() const { return impl_->mixerOpen; }
const std::string& SdlAudioService::DeviceError() const { return impl_->deviceError; }

void SdlAudioService::OpenVoice(int voice) {
  impl_->RequireVoice(voice);
  impl_->RequireOpen();
  impl_->EnsureChannels();
  impl_->voiceOpen[voice] = true;
}

void SdlAudioService::CloseVoice(int voice) {
  if (voice < 0 || voice >= kVoiceCount || !impl_->voiceOpen[voice]) return;
  Mix_HaltChannel(voice);
  impl_->voices[voice].reset();
  impl_->voiceOpen[voice] = false;
}

void SdlAudioService::LoadVoice(int voice, const PcmSound& sound) {
  impl_->RequireVoice(voice);
  if (!impl_->voiceOpen[voice]) throw AudioError("voice " + std::to_string(voice) + " is not open");
  std::unique_ptr<Sound> converted = impl_->Convert(sound);
  Mix_HaltChannel(voice);
  impl_->voices[voice] = std::move(converted);
}

void SdlAudioService::PlayVoice(int voice, int32_t hundredthsDb, bool loop) {
  if (voice < 0 || voice >= kVoiceCount || !impl_->voiceOpen[voice]) return;
  const Sound* sound = impl_->voices[voice].get();
  if (sound == nullptr || sound->chunk == nullptr) return;
  Mix_Volume(voice, MixerVolumeFromHundredthsDb(hundredthsDb));
  Mix_PlayChannel(voice, sound->chunk, loop ? -1 : 0);
}

void SdlAudioService::StopVoice(int voice) {
  if (voice < 0 || voice >= kVoiceCount || !impl_->voiceOpen[voice]) return;
  Mix_HaltChannel(voice);
}

void SdlAudioService::PlaySimple(const PcmSound& sound, bool loop) {
  impl_->RequireOpen();
  impl_->EnsureChannels();
  std::unique_ptr<Sound> converted = impl_->Convert(sound);
  Mix_HaltChannel(kSimpleChannel);
  impl_->simple = std::move(converted);
  if (impl_->simple->chunk == nullptr) return;
  Mix_Volume(kSimpleChannel, kMixerMaxVolume);
  Mix_PlayChannel(kSimpleChannel, impl_->simple->chunk, loop ? -1 : 0);
}

void SdlAudioService::StopSimple() {
  if (impl_->mixerOpen) Mix_HaltChannel(kSimpleChannel);
}

void SdlAudioService::OpenMusic(const std::string& path) {
  CloseMusic();
  impl_->RequireOpen();
  Mix_Music* music = Mix_LoadMUS(path.c_str());
  if (music == nullptr) throw AudioError(Mix_GetError());
  impl_->music = music;
}

void SdlAudioService::CloseMusic() {
  if (impl_->music == nullptr) return;
  impl_->HaltMusicQuietly();
  Mix_FreeMusic(impl_->music);
  impl_->music = nullptr;
}

void SdlAudioService::PlayMusic() {
  if (impl_->music == nullptr) throw AudioError("no music file is open");
  if (Mix_PlayingMusic()) return;
  if (Mix_PlayMusic(impl_->music, 0) < 0) throw AudioError(Mix_GetError());
}

int64_t SdlAudioService::MusicPositionMs() {
  if (impl_->music == nullptr) return 0;
  const double seconds = Mix_GetMusicPosition(impl_->music);
  return seconds > 0 ? std::llround(seconds * 1000.0) : 0;
}

int64_t SdlAudioService::MusicLengthMs() {
  if (impl_->music == nullptr) return 0;
  const double seconds = Mix_MusicDuration(impl_->music);
  return seconds > 0 ? std::llround(seconds * 1000.0) : 0;
}

void SdlAudioService::SetMusicVolume(int32_t volume) {
  if (impl_->mixerOpen) Mix_VolumeMusic(MixerVolumeFromMusicVolume(volume));
}

void SdlAudioService::SetMusicFinishedHandler(std::function<void()> handler) {
  if (!impl_->mixerOpen) {
    impl_->musicFinished = std::move(handler);
    return;
  }
  Mix_HookMusicFinished(nullptr);  // waits for a running hook to return
  impl_->musicFinished = std::move(handler);
  if (impl_->musicFinished) Mix_HookMusicFinished(&Impl::OnMusicFinished);
}

}  // namespace kx
