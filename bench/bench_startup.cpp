// Start-up against the size of the payload: time until the first item is ready to show, and
// the bytes in the temporary folder at that moment.
//
// Two screensavers are made in the same run: "small" carries a 1600 x 1200 JPEG as its first
// item and 4 MB of further media; "large" is the same plus 1 GB of further media (100 members
// of 10 MB). Ready means what a run does before its first frame: the extraction (small
// members, media index, project load) and the first item made available and decoded. Each
// case runs five times; the median is printed. The same-run baseline is the former start-up,
// which wrote every medium to the extraction folder before the first item (the members
// streamed out through ExtractNestedContainer), on both screensavers.
//
// Run: build/bench/bench_startup [folder]   (default $TMPDIR or /tmp; needs about 2.1 GB)
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/PictureCodec.h"
#include "payload/Container.h"
#include "payload/ExtractPayload.h"
#include "payload/MediaStore.h"
#include "platform/Files.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;
constexpr int kExtraMembers = 100;
constexpr int64_t kExtraSize = 10ll << 20;

std::string g_dir;

std::string WriteFirstPicture() {
  kx::Bitmap32 picture(1600, 1200);
  for (int y = 0; y < 1200; ++y)
    for (int x = 0; x < 1600; ++x) picture.SetPixel(x, y, kx::Rgb(x * 255 / 1599, y * 255 / 1199, (x ^ y) & 0xFF));
  std::vector<uint8_t> bytes;
  std::string error;
  kx::EncodeJpeg(picture, 90, bytes, error);
  const std::string path = g_dir + "first.jpg";
  kx::WriteWholeFile(path, bytes, error);
  return path;
}

std::string WriteFiller(const std::string& name, int64_t size) {
  const std::string path = g_dir + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  std::vector<char> chunk(1 << 20);
  for (int64_t done = 0; done < size; done += static_cast<int64_t>(chunk.size())) {
    for (size_t k = 0; k < chunk.size(); k += 512) chunk[k] = static_cast<char>(done >> 20);
    std::fwrite(chunk.data(), 1, static_cast<size_t>(std::min<int64_t>(size - done, chunk.size())), f);
  }
  std::fclose(f);
  return path;
}

// A screensaver named Name.scr: 2 MB of engine bytes, then the payload.
std::string MakeScreensaver(const std::string& name, const std::string& first, const std::string& small,
                            const std::string& extra, int extraCount) {
  std::vector<kx::ContainerMember> media = {kx::ContainerMember::FromFile(first)};
  std::string names = "C:\\show\\first.jpg\r\n";
  for (int i = 0; i < 4; ++i) {
    media.push_back(kx::ContainerMember::FromFile(small));
    names += "sound" + std::to_string(i) + ".wav\r\n";
  }
  for (int i = 0; i < extraCount; ++i) {
    media.push_back(kx::ContainerMember::FromFile(extra));
    names += "C:\\show\\photo" + std::to_string(i) + ".jpg\r\n";
  }
  std::string fileList = "[FileList]\r\nfirst.jpg=1\r\n";
  for (int i = 0; i < extraCount; ++i) fileList += "photo" + std::to_string(i) + ".jpg=1\r\n";
  const std::string exe = g_dir + name + ".scr";
  const int out = open(exe.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
  const std::string engine(2 << 20, '\x90');
  (void)!write(out, engine.data(), engine.size());
  const std::vector<kx::ContainerMember> payload = {
      kx::ContainerMember::FromBytes(kx::ContainerBytes({fileList, "[General]\r\nProductName=Bench\r\n", "[UI]\r\n"})),
      kx::ContainerMember::FromBytes(names), kx::ContainerMember::FromContainer(media),
      kx::ContainerMember::FromBytes("skin")};
  std::string error;
  if (!kx::WriteContainer(out, payload, error)) std::fprintf(stderr, "cannot write %s: %s\n", exe.c_str(), error.c_str());
  close(out);
  return exe;
}

int64_t FolderBytes(const std::string& folder) {
  int64_t total = 0;
  for (const auto& name : kx::ListDirectory(folder)) {
    std::string bytes;
    FILE* f = std::fopen((folder + name).c_str(), "rb");
    if (f == nullptr) continue;
    std::fseek(f, 0, SEEK_END);
    total += std::ftell(f);
    std::fclose(f);
  }
  return total;
}

struct Figures {
  double ms = 0;
  int64_t bytes = 0;
};

// One start: extraction, then the first item made available and decoded. `writeAll` adds the
// former step that wrote every medium first.
Figures StartOnce(const std::string& exe, int pid, bool writeAll) {
  kx::SaverFolders folders{g_dir + "tmp/", exe, pid};
  kx::CreatePrivateDirectory(folders.tempFolder);
  kx::CleanSaverTempRoot(folders);
  const auto start = Clock::now();
  kx::TKXCProject project;
  const std::string f = kx::ExtractPayload(project, folders);
  if (writeAll) {
    std::vector<std::string> targets;
    for (const auto& name : kx::MediaFileNames(f + "KXFilenames.res")) targets.push_back(name.empty() ? name : f + name);
    kx::ContainerReader payload;
    if (payload.Open(exe) && payload.NextMember() >= 0 && payload.NextMember() >= 0 && payload.NextMember() >= 0)
      kx::ExtractNestedContainer(exe, payload.MemberStart(), targets);
  }
  kx::Bitmap32 picture;
  std::string error;
  const std::string& first = project.FileList.Names.at(0);
  if (!kx::MediaFileExists(first) || !kx::DecodePictureFile(first, picture, error))
    std::fprintf(stderr, "first item not ready: %s\n", error.c_str());
  Figures figures;
  figures.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  figures.bytes = FolderBytes(f);
  kx::RemoveExtractedFiles(folders);
  kx::CleanSaverTempRoot(folders);
  return figures;
}

Figures Median(const std::string& exe, bool writeAll) {
  std::vector<Figures> runs;
  for (int i = 0; i < kRuns; ++i) runs.push_back(StartOnce(exe, 5000 + i, writeAll));
  std::sort(runs.begin(), runs.end(), [](const Figures& a, const Figures& b) { return a.ms < b.ms; });
  return runs[kRuns / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const char* tmp = std::getenv("TMPDIR");
  g_dir = argc > 1 ? argv[1] : (tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
  if (g_dir.back() != '/') g_dir += '/';
  g_dir += "kxbench-startup-" + std::to_string(getpid()) + "/";
  kx::CreatePrivateDirectory(g_dir);

  std::printf("making the screensavers in %s ...\n", g_dir.c_str());
  const std::string first = WriteFirstPicture();
  const std::string small = WriteFiller("small.bin", 1 << 20);
  const std::string extra = WriteFiller("extra.bin", kExtraSize);
  const std::string smallExe = MakeScreensaver("Small", first, small, extra, 0);
  const std::string largeExe = MakeScreensaver("Large", first, small, extra, kExtraMembers);

  // Warm the page cache for both files alike, so that the figures compare the work and not
  // the first read from the disk.
  for (const auto& exe : {smallExe, largeExe}) StartOnce(exe, 4999, true);

  const Figures small0 = Median(smallExe, false);
  const Figures large0 = Median(largeExe, false);
  const Figures smallAll = Median(smallExe, true);
  const Figures largeAll = Median(largeExe, true);

  const double mb = 1024.0 * 1024.0;
  std::printf("\n%-34s %12s %16s\n", "start-up (median of 5)", "ready ms", "temp folder MB");
  std::printf("%-34s %12.1f %16.1f\n", "on demand, small payload", small0.ms, small0.bytes / mb);
  std::printf("%-34s %12.1f %16.1f\n", "on demand, small + 1 GB media", large0.ms, large0.bytes / mb);
  std::printf("%-34s %12.1f %16.1f\n", "baseline: all written, small", smallAll.ms, smallAll.bytes / mb);
  std::printf("%-34s %12.1f %16.1f\n", "baseline: all written, + 1 GB", largeAll.ms, largeAll.bytes / mb);
  std::printf("\n1 GB more media delays the first item by %.1f ms on demand (target at most 500 ms), "
              "%.1f ms when everything is written first\n",
              large0.ms - small0.ms, largeAll.ms - smallAll.ms);
  std::printf("temporary folder at the first item: %.1f MB on demand (target at most 100 MB), %.1f MB before\n",
              large0.bytes / mb, largeAll.bytes / mb);

  kx::RemoveTreeNoFollow(g_dir);
  return 0;
}
