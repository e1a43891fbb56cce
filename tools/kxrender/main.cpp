// kxrender: headless rendering for diagnostics and documentation.
//
//   kxrender COMMAND ARGS...
//
// Commands come from the table below: a name, its usage line and the function that runs it
// (declared in Commands.h, one source file per command).
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tools/kxrender/Commands.h"

namespace {

struct Command {
  const char* name;
  const char* usage;  // arguments after the name
  int (*run)(const kx::kxrender::Args& args);
};

const Command kCommands[] = {
    {"decode", "IN OUT.png   decode a picture (JPEG, PNG, GIF, BMP) and write it as PNG", kx::kxrender::RunDecode},
    {"effect", "N PERCENT OLD NEW OUT.png [--size WxH]   one step of transition effect N as PNG", kx::kxrender::RunEffect},
    {"sheet", "N OLD NEW OUT.png [--size WxH]   the steps of effect N at 0, 10, ..., 100 percent", kx::kxrender::RunSheet},
    {"form", "SKIN NAME OUT.png [--product NAME] [--item FILE]...   one form of a skin as its window, as PNG", kx::kxrender::RunForm},
    {"settings", "OUT.png [--page 1|2] [--ini FILE.ini]   the settings dialog, as PNG", kx::kxrender::RunSettings},
    {"scene", "FILE.kxp --frames N --dt MS --out DIR [--size WxH] [--resize|--stretch] [--clock CORNER] [--time HH:MM:SS] [--speed PERCENT] [--seed S] [--media DIR]   N frames of a scene as PNGs", kx::kxrender::RunScene},
};

void PrintUsage(std::FILE* to) {
  std::fprintf(to, "usage: kxrender COMMAND ARGS...\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(to, "  %s %s\n", c.name, c.usage);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  const std::string name = argv[1];
  if (name == "help" || name == "--help" || name == "-h") {
    PrintUsage(stdout);
    return 0;
  }
  for (const Command& c : kCommands) {
    if (name == c.name) {
      const kx::kxrender::Args args(argv + 2, argv + argc);
      try {
        return c.run(args);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "kxrender %s: %s\n", c.name, e.what());
        return 1;
      }
    }
  }
  std::fprintf(stderr, "kxrender: unknown command \"%s\"\n", name.c_str());
  PrintUsage(stderr);
  return 2;
}
