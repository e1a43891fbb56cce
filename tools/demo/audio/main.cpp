// kxdemo_audio FOLDER: writes the demo screensaver's generated sounds and music into FOLDER.
#include <cstdio>
#include <exception>

#include "tools/demo/audio/DemoAudio.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kxdemo_audio FOLDER\n");
    return 2;
  }
  try {
    for (const std::string& path : kx::demo::WriteDemoAudio(argv[1]))
      std::printf("%s\n", path.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kxdemo_audio: %s\n", e.what());
    return 1;
  }
  return 0;
}
