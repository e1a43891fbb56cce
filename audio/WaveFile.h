#pragma once
// RIFF WAVE files with uncompressed PCM samples: the sound files of scenes and the demo media.
//
// Reading accepts format tag 1 (PCM) and the extensible format with a PCM sub-format, 1 to 8
// channels, 8, 16, 24 or 32 bits per sample. 24-bit samples are widened to 32 bits, so a read
// sound is always 8, 16 or 32 bits. Chunks are walked by their sizes (odd sizes padded to even);
// unknown chunks are skipped. A data chunk that claims more bytes than the file holds is cut to
// what is there (some recorders never fill in the size), and to whole frames. Anything else that
// does not fit raises AudioError naming the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/AudioService.h"

namespace kx {

// Largest WAV file that is read; a scene sound is a few seconds, so this only stops a damaged
// or hostile file from taking the memory of the show.
constexpr int64_t kMaxWaveFileBytes = 256LL * 1024 * 1024;

PcmSound ReadWaveFile(const std::string& path);
// Parses a whole file held in memory; `name` is used in error messages.
PcmSound ParseWave(const uint8_t* data, size_t size, const std::string& name);

// A canonical 44-byte-header PCM WAV of the sound.
std::vector<uint8_t> EncodeWave(const PcmSound& sound);
void WriteWaveFile(const std::string& path, const PcmSound& sound);

}  // namespace kx
