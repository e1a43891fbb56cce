// kxpack photos over a folder of large photos against a plain `cp -r` of the same folder.
//
// The benchmark writes N photos of 4000 x 3000 (JPEG, quality 90, with fine texture so that
// they are about as large as camera photos) into a temporary folder, then runs both programs
// as child processes and reads their wall time and peak resident memory (wait4's rusage).
// kxpack decodes every photo once as a check and streams them into the screensaver; cp only
// copies bytes, so the ratio shows what the check costs. N is 500, or the first argument, or
// KX_BENCH_PHOTOS, for a quick run.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/PictureCodec.h"
#include "platform/Files.h"
#include "platform/Paths.h"

extern char** environ;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kVariants = 6;  // distinct pictures; the rest are copies of them

struct Run {
  double seconds = 0;
  long peakKiB = 0;
  int exitCode = -1;
};

Run RunChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  // posix_spawn starts the child without a copy of this process's memory, so the child's
  // peak is its own and not the benchmark's photos.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  Run run;
  int status = 0;
  struct rusage usage {};
  if (started && wait4(pid, &status, 0, &usage) == pid) {
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return run;
}

kx::Bitmap32 Photo(int variant) {
  kx::Bitmap32 b(kWidth, kHeight);
  uint32_t noise = 12345u + variant;
  for (int y = 0; y < kHeight; ++y) {
    uint32_t* row = b.Row(y);
    for (int x = 0; x < kWidth; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int grain = static_cast<int>(noise >> 28);  // 0..15
      const int r = (x * 200 / kWidth + variant * 30 + grain) & 0xFF;
      const int g = (y * 200 / kHeight + grain) & 0xFF;
      const int bl = ((x + y) * 120 / (kWidth + kHeight) + 60 + grain) & 0xFF;
      row[x] = 0xFF000000u | (r << 16) | (g << 8) | bl;
    }
  }
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  int count = 500;
  if (const char* env = std::getenv("KX_BENCH_PHOTOS")) count = std::atoi(env);
  if (argc > 1) count = std::atoi(argv[1]);
  if (count < 1) count = 1;
  const std::string kxpack = kx::FolderOf(kx::ExecutablePath()) + "kxpack";

  char pattern[] = "/tmp/kxbench-photos-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string dir = std::string(pattern) + "/";
  const std::string photos = dir + "photos";
  mkdir(photos.c_str(), 0700);

  std::printf("bench_kxpack_photos: writing %d photos of %d x %d ...\n", count, kWidth, kHeight);
  std::fflush(stdout);
  // The photos are made in a child process, so that this process stays small: a child's
  // peak memory counts the memory of its parent up to the moment it starts its program.
  const pid_t maker = fork();
  if (maker == 0) {
    std::vector<std::vector<uint8_t>> variants(kVariants);
    std::string error;
    int64_t totalBytes = 0;
    for (int i = 0; i < count; ++i) {
      auto& jpeg = variants[i % kVariants];
      if (jpeg.empty() && !kx::EncodeJpeg(Photo(i % kVariants), 90, jpeg, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        _exit(1);
      }
      if (!kx::WriteWholeFile(photos + "/IMG_" + std::to_string(i + 1) + ".jpg", jpeg, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        _exit(1);
      }
      totalBytes += static_cast<int64_t>(jpeg.size());
    }
    FILE* total = std::fopen((dir + "bytes").c_str(), "w");
    if (total == nullptr) _exit(1);
    std::fprintf(total, "%lld\n", static_cast<long long>(totalBytes));
    std::fclose(total);
    _exit(0);
  }
  int makerStatus = 0;
  if (maker < 0 || waitpid(maker, &makerStatus, 0) != maker || !WIFEXITED(makerStatus) || WEXITSTATUS(makerStatus) != 0) {
    std::fprintf(stderr, "bench_kxpack_photos: writing the photos failed\n");
    kx::RemoveTreeNoFollow(dir);
    return 1;
  }
  long long totalBytes = 0;
  if (FILE* total = std::fopen((dir + "bytes").c_str(), "r")) {
    if (std::fscanf(total, "%lld", &totalBytes) != 1) totalBytes = 0;
    std::fclose(total);
  }
  sync();

  const Run copy = RunChild({"cp", "-r", photos, dir + "copy"});
  const Run pack = RunChild({kxpack, "photos", photos, "-o", dir + "Photos.scr"});
  const double mb = totalBytes / 1e6;
  std::printf("photos: %d, %.1f MB of JPEG (%.2f MB each)\n", count, mb, mb / count);
  std::printf("cp -r:         %8.2f s  %7.1f MB/s  peak %6ld KiB  exit %d\n", copy.seconds, mb / copy.seconds,
              copy.peakKiB, copy.exitCode);
  std::printf("kxpack photos: %8.2f s  %7.1f MB/s  peak %6ld KiB  exit %d  (%.1f ms per photo)\n", pack.seconds,
              mb / pack.seconds, pack.peakKiB, pack.exitCode, pack.seconds * 1000 / count);
  std::printf("ratio kxpack / cp: time %.1f x, peak memory %.1f x\n", pack.seconds / copy.seconds,
              static_cast<double>(pack.peakKiB) / copy.peakKiB);
  kx::RemoveTreeNoFollow(dir);
  return pack.exitCode == 0 && copy.exitCode == 0 ? 0 : 1;
}
