// Fuzz target: scene packages. The input is read as a .kxp file, fitted to a display size
// in both ways a show fits it, and played through the water engine for a few frames.
#include <cstdint>
#include <string>

#include "fuzz/FuzzFolder.h"
#include "fuzz/FuzzInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = kx::fuzz::Folder().Write("fuzz.kxp", data, size);
  kx::TProject project;
  project.LoadFromFile(path);
  if (!project.Picture || project.Picture->Empty()) return 0;
  if (project.Picture->Width() > 512 || project.Picture->Height() > 512) return 0;  // keep each run short
  kx::fuzz::StepClock clock;
  kx::TAnimObjects objects(kx::TObjectServices{&clock, nullptr, "", false});
  objects.LoadFromText(project.ObjectListText);
  kx::fuzz::RunScene(project, &objects, clock, 3);
  project.Resize(size % 2 == 0, 80, 60);
  kx::fuzz::RunScene(project, &objects, clock, 2);
  return 0;
}
