#include "platform/audio/MixerVolume.h"

#include <algorithm>
#include <cmath>

namespace kx {

int MixerVolumeFromHundredthsDb(int32_t hundredthsDb) {
  if (hundredthsDb >= 0) return kMixerMaxVolume;
  const double gain = std::pow(10.0, hundredthsDb / 2000.0);
  return static_cast<int>(std::lround(gain * kMixerMaxVolume));
}

int MixerVolumeFromMusicVolume(int32_t volume) {
  const int32_t v = std::clamp<int32_t>(volume, 0, 1000);
  return (v * kMixerMaxVolume + 500) / 1000;
}

}  // namespace kx
