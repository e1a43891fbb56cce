// Extraction of a 200 MB payload against a plain copy of the same bytes.
//
// The payload is a screensaver file: some engine bytes, then a container whose media
// container holds 20 files of 10 MB. "Extract" runs the whole extraction of a run (members,
// media, project load) and removes the files again; "PlainCopy" copies the screensaver file
// with a 64 KiB read/write loop. Both see a warm page cache after the first iteration. The
// peak resident memory during each run is read from VmHWM after resetting it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "payload/Container.h"
#include "payload/ExtractPayload.h"
#include "platform/Files.h"

namespace {

constexpr int kMediaFiles = 20;
constexpr int64_t kMediaSize = 10ll << 20;

struct Fixture {
  std::string dir;
  std::string exe;
  int64_t bytes = 0;
  Fixture() {
    char pattern[] = "/tmp/kxbench-XXXXXX";
    dir = std::string(mkdtemp(pattern)) + "/";
    std::vector<char> chunk(1 << 20);
    std::vector<kx::ContainerMember> media;
    std::string names;
    for (int i = 0; i < kMediaFiles; ++i) {
      const std::string path = dir + "media" + std::to_string(i) + ".jpg";
      FILE* f = std::fopen(path.c_str(), "wb");
      for (int64_t done = 0; done < kMediaSize; done += static_cast<int64_t>(chunk.size())) {
        for (size_t k = 0; k < chunk.size(); k += 4096) chunk[k] = static_cast<char>(i + done);
        std::fwrite(chunk.data(), 1, chunk.size(), f);
      }
      std::fclose(f);
      media.push_back(kx::ContainerMember::FromFile(path));
      names += "C:\\media\\m" + std::to_string(i) + ".jpg\r\n";
    }
    exe = dir + "Bench.scr";
    const int out = open(exe.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
    const std::string engine(2 << 20, '\x90');
    (void)!write(out, engine.data(), engine.size());
    std::string fileList = "[FileList]\r\n";
    for (int i = 0; i < kMediaFiles; ++i) fileList += "m" + std::to_string(i) + ".jpg=1\r\n";
    const std::vector<kx::ContainerMember> payload = {
        kx::ContainerMember::FromBytes(kx::ContainerBytes({fileList, "[Default]\r\n", "[UI]\r\n"})),
        kx::ContainerMember::FromBytes(names), kx::ContainerMember::FromContainer(media),
        kx::ContainerMember::FromBytes("skin")};
    std::string error;
    kx::WriteContainer(out, payload, error);
    close(out);
    for (int i = 0; i < kMediaFiles; ++i) std::remove((dir + "media" + std::to_string(i) + ".jpg").c_str());
    bytes = lseek(open(exe.c_str(), O_RDONLY), 0, SEEK_END);
  }
  ~Fixture() { kx::RemoveTreeNoFollow(dir); }
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

double PeakMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return -1;
}

void BM_Extract(benchmark::State& state) {
  Fixture& f = TheFixture();
  kx::SaverFolders folders{f.dir, f.exe, 4242};
  double peak = 0;
  for (auto _ : state) {
    ResetPeak();
    kx::TKXCProject project;
    const std::string folder = kx::ExtractPayload(project, folders);
    benchmark::DoNotOptimize(folder);
    peak = std::max(peak, PeakMegabytes());
    state.PauseTiming();
    if (project.FileList.Count() != kMediaFiles) state.SkipWithError("extraction incomplete");
    kx::RemoveExtractedFiles(folders);
    kx::CleanSaverTempRoot(folders);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * f.bytes);
  state.counters["peak_MB"] = peak;
}

void BM_PlainCopy(benchmark::State& state) {
  Fixture& f = TheFixture();
  const std::string target = f.dir + "copy.scr";
  std::vector<char> buffer(1 << 16);
  double peak = 0;
  for (auto _ : state) {
    ResetPeak();
    const int in = open(f.exe.c_str(), O_RDONLY);
    const int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ssize_t n;
    while ((n = read(in, buffer.data(), buffer.size())) > 0) (void)!write(out, buffer.data(), static_cast<size_t>(n));
    close(in);
    close(out);
    peak = std::max(peak, PeakMegabytes());
    state.PauseTiming();
    std::remove(target.c_str());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * f.bytes);
  state.counters["peak_MB"] = peak;
}

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Extract)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
