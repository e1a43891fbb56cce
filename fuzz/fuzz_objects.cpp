// Fuzz target: a scene's object list. The list is read, its files resolved in the scratch
// folder (which holds one small picture of each kind, so image and GIF objects load), and
// every object stepped and drawn for a few frames without worker threads.
#include <cstdint>
#include <string>
#include <vector>

#include "anim/AnimObjects.h"
#include "fuzz/FuzzFolder.h"
#include "fuzz/FuzzInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string media = kx::fuzz::WriteObjectMedia();
  static const std::string scene = [] {
    std::string error;
    const std::string path = kx::fuzz::Folder().Path() + "scene.kxp";
    kx::WriteScenePackageFile(path, kx::fuzz::SmallScene(), error);
    return path;
  }();
  kx::TProject project;
  project.LoadFromFile(scene);
  kx::fuzz::StepClock clock;
  kx::TAnimObjects objects(kx::TObjectServices{&clock, nullptr, "", false});
  objects.LoadFromText(std::string_view(reinterpret_cast<const char*>(data), size));
  objects.ResolveFiles(media);
  kx::fuzz::RunScene(project, &objects, clock, 6);
  objects.SaveToText();
  return 0;
}
