// kxpack: packaging for the engine. It writes finished screensavers (the engine with a
// payload appended), describes payloads as JSON and installs screensavers for the Linux
// screensaver daemons. Every command answers --help.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "payload/Marker.h"
#include "tools/kxpack/BuildCommand.h"
#include "tools/kxpack/DescribeCommand.h"
#include "tools/kxpack/InstallCommand.h"
#include "tools/kxpack/PhotosCommand.h"
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
  const char* help;  // what --help prints after the usage line
  int (*run)(const std::vector<std::string>&);
};

const Command kCommands[] = {
    {"photos", "photos FOLDER|FILE... -o OUT.scr [--title TEXT] [--duration S] [--music FILE...] [--install]",
     "Makes a finished screensaver from photos in one step. Folders are searched recursively\n"
     "for .jpg .jpeg .jpe .jfif .png .bmp .gif .webp .heic .heif .avif .tif .tiff files, taken\n"
     "in natural order (2.jpg before 10.jpg). A photo that cannot be read or decoded is\n"
     "reported and left out. The first photo gives the preview picture; the screensaver gets\n"
     "the project's own skin and the defaults of kxpack build.\n"
     "  -o OUT.scr       the screensaver to write\n"
     "  --title TEXT     its product name (default: OUT without its extension)\n"
     "  --duration S     seconds per photo (default 10)\n"
     "  --music FILE...  music to play; every argument up to the next option is a music file\n"
     "  --install        then run `kxpack install --user OUT.scr`\n"
     "Exit code 1 when no photo can be shown or OUT cannot be written; nothing is written then.\n",
     kx::RunPhotosCommand},
    {"build", "build [--no-check] MANIFEST OUT",
     "Makes a finished screensaver from a manifest (an INI file; see the manual page or the\n"
     "README for its sections and every settings key). Before writing it checks that every\n"
     "file exists, every picture decodes, every scene package reads, the item list is not\n"
     "empty, TransitionEffects holds effect numbers 1 to 169 and Duration is a positive\n"
     "number; it warns of unknown settings keys and of pictures above 64 megapixels.\n"
     "Settings left out get photo-show defaults (Proportional=1, Transition=1,\n"
     "TransitionTime=2000, a calm effect list, Duration=10); no Skin gets the project's own.\n"
     "  --no-check   skip the checks of pictures, scenes and settings values\n"
     "Exit code 1 on errors; OUT is then left as it was.\n",
     kx::RunBuildCommand},
    {"inspect", "inspect FILE",
     "Prints a JSON description of a screensaver, an extracted container or a scene package:\n"
     "members and sizes, the project settings as the engine reads them, the media names.\n",
     kx::RunInspectCommand},
    {"scene", "scene DESCRIPTION OUT.kxp",
     "Writes a scene package (an animated water scene) from a description: an INI file with\n"
     "[Scene] Picture= and Mask=, [Wave1]..[Wave8], [Weather], [Sound1]..[Sound8] and [Obj...]\n"
     "sections. The mask is a picture painted in region colours: black land, 0000FF, FF00FF,\n"
     "FF0000, FFFF00, 00FF00, 00FFFF for water regions 1 to 6. See the manual page.\n",
     kx::RunSceneCommand},
    {"skin", "skin SOURCE OUT.kxu",
     "Writes a skin file (the configuration window's forms) from readable form texts: a folder\n"
     "with skin.txt listing the .kxf forms, or one form file; pictures named in the forms are\n"
     "embedded.\n",
     kx::RunSkinCommand},
    {"install", "install SAVER [--name NAME] (--prefix DIR [--destdir STAGE] | --user)",
     "Installs a finished screensaver for the Linux screensaver daemons. NAME defaults to the\n"
     "file name up to its first dot, lower-cased, other characters than a-z 0-9 - _ as '-'.\n"
     "  --prefix DIR     what a package ships: DIR/libexec/xscreensaver/NAME,\n"
     "                   DIR/share/xscreensaver/config/NAME.xml and\n"
     "                   DIR/share/applications/screensavers/NAME.desktop\n"
     "  --destdir STAGE  write those files under STAGE, naming DIR inside them (packaging)\n"
     "  --user           for you alone: $XDG_DATA_HOME/kxsaver/NAME and a line in the\n"
     "                   programs: list of ~/.xscreensaver (kept otherwise; a backup is made)\n"
     "Exit code 1 when SAVER is no finished screensaver or a file cannot be written.\n",
     kx::RunInstallCommand},
    {"uninstall", "uninstall NAME (--prefix DIR [--destdir STAGE] | --user)",
     "Removes what install wrote for NAME (and its line in ~/.xscreensaver with --user).\n",
     kx::RunUninstallCommand},
    {"marker", "marker", "Prints the 13 container marker bytes in hex, for other builders.\n", RunMarkerCommand},
};

bool IsHelp(const char* arg) { return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0; }

void PrintOverview(std::FILE* out) {
  std::fprintf(out, "usage: kxpack COMMAND ...   (kxpack COMMAND --help tells more)\n");
  for (const auto& command : kCommands) std::fprintf(out, "  kxpack %s\n", command.usage);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (IsHelp(argv[1]) || std::strcmp(argv[1], "help") == 0)) {
    PrintOverview(stdout);
    return 0;
  }
  if (argc >= 2) {
    const std::string name = argv[1];
    for (const auto& command : kCommands) {
      if (name != command.name) continue;
      for (int i = 2; i < argc; ++i)
        if (IsHelp(argv[i])) {
          std::printf("usage: kxpack %s\n\n%s", command.usage, command.help);
          return 0;
        }
      return command.run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "kxpack: unknown command %s\n", argv[1]);
  }
  PrintOverview(stderr);
  return 2;
}
