#include "audio/SoundEffect.h"

#include <algorithm>

#include "audio/WaveFile.h"

namespace kx {
namespace {
constexpr uint8_t kModeTrying = 3;
}

TSoundEffect::TSoundEffect(AudioService& service) : service_(service) {
  // The voices are used only when all eight come up; otherwise the ones that did are released
  // again and the single-sound fallback takes over.
  mode_ = kModeTrying;
  int opened = 0;
  for (; opened < kVoiceCount; ++opened) {
    try {
      service_.OpenVoice(opened);
    } catch (const std::exception&) {
      break;
    }
    mode_ = kModeVoices;
  }
  if (opened < kVoiceCount) {
    for (int i = 0; i < opened; ++i) {
      try {
        service_.CloseVoice(i);
      } catch (const std::exception&) {
      }
    }
    mode_ = kModeFallback;
  }
}

TSoundEffect::~TSoundEffect() {
  ClearList();
  try {
    StopAll();
  } catch (const std::exception&) {
  }
  if (mode_ == kModeVoices) {
    for (int i = 0; i < kVoiceCount; ++i) {
      try {
        service_.CloseVoice(i);
      } catch (const std::exception&) {
      }
    }
  }
}

void TSoundEffect::SetVolume(int32_t percent) { volume_ = std::clamp<int32_t>(percent, 0, 100); }

void TSoundEffect::Load(int index, const std::string& fileName) {
  if (index < 0 || index >= kVoiceCount)
    throw AudioError("sound slot " + std::to_string(index) + " out of range");
  loaded_[index] = fileName;
  if (mode_ != kModeVoices) return;
  try {
    service_.LoadVoice(index, ReadWaveFile(fileName));
  } catch (...) {
    // Neither the new file nor the sound the voice held before may play for this slot.
    loaded_[index].clear();
    try {
      service_.LoadVoice(index, PcmSound{});
    } catch (const std::exception&) {
    }
    throw;
  }
}

void TSoundEffect::Play(int index, bool loop) {
  if (index < 0 || index >= kVoiceCount || loaded_[index].empty()) return;
  try {
    if (mode_ == kModeVoices) {
      service_.PlayVoice(index, VolumeHundredthsDb(), loop);
    } else if (index == 0) {
      // The simple player takes a file as it is when played; a missing or unreadable file
      // stays silent.
      service_.PlaySimple(ReadWaveFile(loaded_[0]), loop);
    }
  } catch (const std::exception&) {
  }
}

void TSoundEffect::StopAll() {
  if (mode_ == kModeVoices) {
    for (int i = 0; i < kVoiceCount; ++i) service_.StopVoice(i);
  } else {
    service_.StopSimple();
  }
}

void TSoundEffect::ClearList() {
  for (std::string& name : loaded_) name.clear();
}

}  // namespace kx
