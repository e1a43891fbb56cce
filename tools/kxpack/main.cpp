// kxpack: packaging for the engine. It writes finished screensavers (the engine with a
// payload appended), describes payloads as JSON and installs screensavers for the Linux
// screensaver daemons.
#include <cstdio>
#include <string>
#include <vector>

#include "payload/Marker.h"
#include "tools/kxpack/BuildCommand.h"
#include "tools/kxpack/DescribeCommand.h"
#include "tools/kxpack/InstallCommand.h"
#include "tools/kxpack/SceneCommands.h"
#include "tools/kxpack/SkinCommand.h"

namespace {

int RunMarkerCommand(const std::vector<std::string>&) {
  for (uint8_t b : kx::ContainerMarker()) std::printf("%02x", b);
  std::printf("\n");
  return 0;
}

struct Command {
  const char* name;
  const char* usage;
  int (*run)(const std::vector<std::string>&);
};

const Command kCommands[] = {
    {"build", "build MANIFEST OUT      make a finished screensaver", kx::RunBuildCommand},
    {"inspect", "inspect FILE            describe a screensaver, container or scene package as JSON", kx::RunInspectCommand},
    {"scene", "scene DESCRIPTION OUT.kxp  write a scene package", kx::RunSceneCommand},
    {"skin", "skin SOURCE OUT.kxu      write a skin file from readable form texts", kx::RunSkinCommand},
    {"install", "install SAVER [--name NAME] (--prefix DIR [--destdir STAGE] | --user)  install for the screensaver daemons", kx::RunInstallCommand},
    {"uninstall", "uninstall NAME (--prefix DIR [--destdir STAGE] | --user)  remove an installed screensaver", kx::RunUninstallCommand},
    {"marker", "marker                  print the 13 container marker bytes in hex", RunMarkerCommand},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2) {
    const std::string name = argv[1];
    for (const auto& command : kCommands)
      if (name == command.name) return command.run(std::vector<std::string>(argv + 2, argv + argc));
  }
  std::fprintf(stderr, "usage: kxpack COMMAND ...\n");
  for (const auto& command : kCommands) std::fprintf(stderr, "  kxpack %s\n", command.usage);
  return 2;
}
