// Reading and writing long lists in INI texts: a payload file list of 16,000 names, an object
// list of 80,000 sections, 8,000 music entries written to the user's settings. Each must take
// time linear in its length; the figures per element at two sizes show it.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "project/IniText.h"
#include "project/KXCProject.h"
#include "scene/IniSections.h"

namespace {

void BM_FileList(benchmark::State& state) {
  std::string text = "[FileList]\r\n";
  for (int64_t i = 0; i < state.range(0); ++i) text += "picture" + std::to_string(i) + ".jpg=1\r\n";
  for (auto _ : state) {
    kx::TKXCFileList list;
    list.LoadFromText(text);
    benchmark::DoNotOptimize(list.Flags.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FileList)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

void BM_ObjectSections(benchmark::State& state) {
  std::string text;
  for (int64_t i = 0; i < state.range(0); ++i) text += "[Obj" + std::to_string(i) + "]\r\nObjType=IMG\r\n";
  for (auto _ : state) {
    kx::IniSections ini(text);
    benchmark::DoNotOptimize(ini.FindSection("Obj100"));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ObjectSections)->Arg(20000)->Arg(80000)->Unit(benchmark::kMillisecond);

void BM_MusicListWrite(benchmark::State& state) {
  std::vector<std::string> music;
  for (int64_t i = 0; i < state.range(0); ++i) music.push_back("/home/user/music/track" + std::to_string(i) + ".ogg");
  for (auto _ : state) {
    kx::IniText ini = kx::IniText::Parse("[Setting]\r\nSpeed=10\r\n");
    ini.EraseSection("MusicList");
    ini.WriteNewSection("MusicList", music, "");
    benchmark::DoNotOptimize(ini.ToText());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MusicListWrite)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
