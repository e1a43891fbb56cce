#include "audio/WaveFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace kx {
namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Set16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Set32(uint8_t* p, uint32_t v) {
  Set16(p, v & 0xFFFF);
  Set16(p + 2, v >> 16);
}

[[noreturn]] void Fail(const std::string& name, const std::string& what) {
  throw AudioError(name + ": " + what);
}

}  // namespace

PcmSound ParseWave(const uint8_t* data, size_t size, const std::string& name) {
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
    Fail(name, "not a RIFF WAVE file");

  const uint8_t* fmt = nullptr;
  size_t fmtSize = 0;
  const uint8_t* samples = nullptr;
  size_t sampleBytes = 0;
  size_t pos = 12;
  while (pos + 8 <= size && (fmt == nullptr || samples == nullptr)) {
    const uint8_t* header = data + pos;
    const uint32_t chunkSize = Get32(header + 4);
    const size_t body = pos + 8;
    const size_t available = std::min<size_t>(chunkSize, size - body);
    if (std::memcmp(header, "fmt ", 4) == 0 && fmt == nullptr) {
      fmt = data + body;
      fmtSize = available;
    } else if (std::memcmp(header, "data", 4) == 0 && samples == nullptr) {
      samples = data + body;
      sampleBytes = available;
    }
    // Chunks are padded to an even size; a size that runs past the end ends the walk.
    const uint64_t next = static_cast<uint64_t>(body) + chunkSize + (chunkSize & 1u);
    if (next > size) break;
    pos = static_cast<size_t>(next);
  }
  if (fmt == nullptr) Fail(name, "no format chunk");
  if (fmtSize < 16) Fail(name, "format chunk too short");
  if (samples == nullptr) Fail(name, "no data chunk");

  uint16_t tag = Get16(fmt);
  const uint16_t channels = Get16(fmt + 2);
  const uint32_t rate = Get32(fmt + 4);
  const uint16_t bits = Get16(fmt + 14);
  if (tag == kFormatExtensible) {
    // The sub-format GUID begins with the plain format tag.
    if (fmtSize < 40) Fail(name, "extensible format chunk too short");
    tag = Get16(fmt + 24);
  }
  if (tag != kFormatPcm) Fail(name, "not PCM (format " + std::to_string(tag) + ")");
  if (channels < 1 || channels > 8) Fail(name, std::to_string(channels) + " channels");
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
    Fail(name, std::to_string(bits) + " bits per sample");
  if (rate < 1 || rate > 768000) Fail(name, "sample rate " + std::to_string(rate));

  const size_t inFrame = static_cast<size_t>(channels) * (bits / 8);
  const size_t frames = sampleBytes / inFrame;

  PcmSound sound;
  sound.SampleRate = static_cast<int32_t>(rate);
  sound.Channels = channels;
  if (bits == 24) {
    // Widened to 32 bits: the three bytes become the upper three of each sample.
    sound.BitsPerSample = 32;
    const size_t count = frames * channels;
    sound.Data.resize(count * 4);
    for (size_t i = 0; i < count; ++i) {
      sound.Data[i * 4] = 0;
      std::memcpy(&sound.Data[i * 4 + 1], samples + i * 3, 3);
    }
  } else {
    sound.BitsPerSample = bits;
    sound.Data.assign(samples, samples + frames * inFrame);
  }
  return sound;
}

PcmSound ReadWaveFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw AudioError(path + ": cannot open sound file");
  in.seekg(0, std::ios::end);
  const std::streamoff length = in.tellg();
  if (length < 0) throw AudioError(path + ": cannot read sound file");
  if (length > kMaxWaveFileBytes) throw AudioError(path + ": sound file too large");
  in.seekg(0, std::ios::beg);
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  if (!bytes.empty() && !in.read(reinterpret_cast<char*>(bytes.data()), length))
    throw AudioError(path + ": cannot read sound file");
  return ParseWave(bytes.data(), bytes.size(), path);
}

std::vector<uint8_t> EncodeWave(const PcmSound& sound) {
  const int32_t frame = sound.BytesPerFrame();
  const uint32_t dataBytes = static_cast<uint32_t>(sound.FrameCount() * frame);
  const uint32_t padded = dataBytes + (dataBytes & 1u);
  std::vector<uint8_t> out(44 + padded, 0);
  uint8_t* p = out.data();
  std::memcpy(p, "RIFF", 4);
  Set32(p + 4, 36 + padded);
  std::memcpy(p + 8, "WAVEfmt ", 8);
  Set32(p + 16, 16);
  Set16(p + 20, kFormatPcm);
  Set16(p + 22, static_cast<uint32_t>(sound.Channels));
  Set32(p + 24, static_cast<uint32_t>(sound.SampleRate));
  Set32(p + 28, static_cast<uint32_t>(sound.SampleRate * frame));
  Set16(p + 32, static_cast<uint32_t>(frame));
  Set16(p + 34, static_cast<uint32_t>(sound.BitsPerSample));
  std::memcpy(p + 36, "data", 4);
  Set32(p + 40, dataBytes);
  if (dataBytes > 0) std::memcpy(p + 44, sound.Data.data(), dataBytes);
  return out;
}

void WriteWaveFile(const std::string& path, const PcmSound& sound) {
  const std::vector<uint8_t> bytes = EncodeWave(sound);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw AudioError(path + ": cannot create sound file");
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw AudioError(path + ": cannot write sound file");
}

}  // namespace kx
