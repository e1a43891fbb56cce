// Writes the pictures and water masks of the demo scenes, and the images of their animated
// objects, into a folder, for `kxpack scene` to pack with the scene descriptions beside this
// file (the object images travel beside the packages, as media of the demo screensaver).
//
//   kxdemo_scenemedia OUTDIR
#include <cstdio>
#include <string>

#include "tools/demo/scenes/ObjectMedia.h"
#include "tools/demo/scenes/SceneMedia.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kxdemo_scenemedia OUTDIR\n");
    return 2;
  }
  std::string error;
  if (!kx::demo::WriteDemoSceneMedia(argv[1], error) || !kx::demo::WriteDemoObjectMedia(argv[1], error)) {
    std::fprintf(stderr, "kxdemo_scenemedia: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
