#pragma once
// Conversion of the engine's volumes into the mixer's linear volume 0 .. 128.
#include <cstdint>

namespace kx {

constexpr int kMixerMaxVolume = 128;

// Hundredths of a decibel (0 full level, negative quieter) to 10^(dB / 20) * 128, rounded to
// the nearest step. Values above 0 give full level.
int MixerVolumeFromHundredthsDb(int32_t hundredthsDb);

// The music volume 0 .. 1000 (linear), clamped, to 0 .. 128.
int MixerVolumeFromMusicVolume(int32_t volume);

}  // namespace kx
