#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "AudioTestFiles.h"
#include "audio/WaveFile.h"

namespace kx {
namespace {

using Bytes = std::vector<uint8_t>;

void Add16(Bytes& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void Add32(Bytes& b, uint32_t v) {
  Add16(b, v & 0xFFFF);
  Add16(b, v >> 16);
}

Bytes Chunk(const char* id, const Bytes& body, uint32_t claimedSize = UINT32_MAX) {
  Bytes b(id, id + 4);
  Add32(b, claimedSize == UINT32_MAX ? static_cast<uint32_t>(body.size()) : claimedSize);
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() & 1) b.push_back(0);
  return b;
}

Bytes Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  Bytes b;
  Add16(b, tag);
  Add16(b, channels);
  Add32(b, rate);
  Add32(b, rate * channels * bits / 8);
  Add16(b, channels * bits / 8);
  Add16(b, bits);
  return b;
}

Bytes ExtensibleFmt(uint16_t subTag, uint16_t channels, uint32_t rate, uint16_t bits) {
  Bytes b = Fmt(0xFFFE, channels, rate, bits);
  Add16(b, 22);      // extension size
  Add16(b, bits);    // valid bits
  Add32(b, 0x3);     // channel mask
  Add16(b, subTag);  // sub-format GUID: tag, then the fixed tail
  const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                            0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  b.insert(b.end(), tail, tail + 14);
  return b;
}

Bytes Riff(std::initializer_list<Bytes> chunks, const char* form = "WAVE") {
  Bytes body(form, form + 4);
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  Bytes b{'R', 'I', 'F', 'F'};
  Add32(b, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

PcmSound Parse(const Bytes& b) { return ParseWave(b.data(), b.size(), "x.wav"); }

TEST(WaveFile, WrittenSoundsReadBackUnchanged) {
  struct Case {
    const char* name;
    int32_t rate, channels, bits;
  } cases[] = {{"8-bit mono", 8000, 1, 8},
               {"16-bit stereo", 44100, 2, 16},
               {"32-bit stereo", 48000, 2, 32},
               {"16-bit six channels", 22050, 6, 16}};
  test::TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PcmSound s;
    s.SampleRate = c.rate;
    s.Channels = c.channels;
    s.BitsPerSample = c.bits;
    // An odd number of bytes for 8-bit mono exercises the pad byte after the data chunk.
    s.Data.resize(static_cast<size_t>(s.BytesPerFrame()) * 101);
    for (size_t i = 0; i < s.Data.size(); ++i) s.Data[i] = static_cast<uint8_t>(i * 7 + 3);
    const PcmSound back = ReadWaveFile(folder.Write("s.wav", s));
    EXPECT_EQ(back.SampleRate, c.rate);
    EXPECT_EQ(back.Channels, c.channels);
    EXPECT_EQ(back.BitsPerSample, c.bits);
    EXPECT_EQ(back.Data, s.Data);
  }
}

TEST(WaveFile, TwentyFourBitSamplesAreWidenedToThirtyTwo) {
  const Bytes samples{0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF};  // 0x123456 and -1
  const PcmSound s = Parse(Riff({Chunk("fmt ", Fmt(1, 1, 44100, 24)), Chunk("data", samples)}));
  EXPECT_EQ(s.BitsPerSample, 32);
  EXPECT_EQ(s.FrameCount(), 2);
  EXPECT_EQ(s.Data, (Bytes{0x00, 0x56, 0x34, 0x12, 0x00, 0xFF, 0xFF, 0xFF}));
}

TEST(WaveFile, ChunkWalkSkipsOtherChunksAndPadding) {
  const Bytes samples{1, 0, 2, 0, 3, 0};
  // An odd-sized chunk before the format and a data chunk that comes first.
  const PcmSound s = Parse(Riff({Chunk("LIST", Bytes{'a', 'b', 'c'}), Chunk("data", samples),
                                 Chunk("fmt ", Fmt(1, 1, 11025, 16))}));
  EXPECT_EQ(s.SampleRate, 11025);
  EXPECT_EQ(s.Data, samples);
}

TEST(WaveFile, ExtensibleFormatWithPcmIsRead) {
  const Bytes samples{1, 0, 2, 0};
  const PcmSound s =
      Parse(Riff({Chunk("fmt ", ExtensibleFmt(1, 2, 48000, 16)), Chunk("data", samples)}));
  EXPECT_EQ(s.Channels, 2);
  EXPECT_EQ(s.Data, samples);
}

TEST(WaveFile, DataLongerThanTheFileIsCutToWholeFrames) {
  // The data chunk claims 1000 bytes; 7 are there, of which 6 make whole stereo 8-bit frames.
  Bytes file = Riff({Chunk("fmt ", Fmt(1, 2, 8000, 8))});
  const Bytes data = Chunk("data", Bytes{10, 11, 12, 13, 14, 15, 16}, 1000);
  file.insert(file.end(), data.begin(), data.end() - 1);  // no pad byte: the file just ends
  const PcmSound s = Parse(file);
  EXPECT_EQ(s.FrameCount(), 3);
  EXPECT_EQ(s.Data, (Bytes{10, 11, 12, 13, 14, 15}));
}

TEST(WaveFile, MalformedFilesFailNamingTheFile) {
  const Bytes pcm{0, 0, 0, 0};
  struct Case {
    const char* name;
    Bytes file;
  } cases[] = {
      {"empty", Bytes{}},
      {"header cut", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'}},
      {"big-endian RIFX",
       [] {
         Bytes b = Riff({});
         b[3] = 'X';
         return b;
       }()},
      {"not WAVE", Riff({Chunk("fmt ", Fmt(1, 1, 8000, 16))}, "AVI ")},
      {"no format chunk", Riff({Chunk("data", pcm)})},
      {"no data chunk", Riff({Chunk("fmt ", Fmt(1, 1, 8000, 16))})},
      {"format chunk short", Riff({Chunk("fmt ", Bytes(14, 1)), Chunk("data", pcm)})},
      {"float samples", Riff({Chunk("fmt ", Fmt(3, 1, 8000, 32)), Chunk("data", pcm)})},
      {"ADPCM", Riff({Chunk("fmt ", Fmt(2, 1, 8000, 4)), Chunk("data", pcm)})},
      {"extensible float",
       Riff({Chunk("fmt ", ExtensibleFmt(3, 1, 8000, 32)), Chunk("data", pcm)})},
      {"no channels", Riff({Chunk("fmt ", Fmt(1, 0, 8000, 16)), Chunk("data", pcm)})},
      {"nine channels", Riff({Chunk("fmt ", Fmt(1, 9, 8000, 16)), Chunk("data", pcm)})},
      {"12 bits", Riff({Chunk("fmt ", Fmt(1, 1, 8000, 12)), Chunk("data", pcm)})},
      {"rate 0", Riff({Chunk("fmt ", Fmt(1, 1, 0, 16)), Chunk("data", pcm)})},
      // A format chunk whose size runs past the end of the file: the walk stops there.
      {"format chunk size past the end", Riff({Chunk("fmt ", Fmt(1, 1, 8000, 16), 0x7FFFFFF0)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      Parse(c.file);
      ADD_FAILURE() << "no error";
    } catch (const AudioError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("x.wav: ", 0), 0u) << e.what();
    }
  }
}

TEST(WaveFile, MissingOrUnreadableFilesFail) {
  test::TempFolder folder;
  EXPECT_THROW(ReadWaveFile(folder.File("missing.wav")), AudioError);
  std::filesystem::create_directory(folder.File("folder.wav"));
  EXPECT_THROW(ReadWaveFile(folder.File("folder.wav")), AudioError);
  std::ofstream(folder.File("text.wav")) << "not a sound";
  EXPECT_THROW(ReadWaveFile(folder.File("text.wav")), AudioError);
}

}  // namespace
}  // namespace kx
