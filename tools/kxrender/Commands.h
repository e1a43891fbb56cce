#pragma once
// The commands of kxrender. Each takes the arguments after its own name and returns the
// process exit code (0 on success); it writes its own error messages to stderr.
//
// To add a command: declare its function here, write it in a file of its own in this folder,
// add the file to CMakeLists.txt and add a row to the table in main.cpp.
#include <string>
#include <vector>

namespace kx::kxrender {

using Args = std::vector<std::string>;

// decode IN OUT.png: decodes any picture the engine reads and writes it as PNG.
int RunDecode(const Args& args);
// effect N PERCENT OLD NEW OUT.png [--size WxH]: one step of transition effect N as PNG.
int RunEffect(const Args& args);
// sheet N OLD NEW OUT.png [--size WxH]: the steps of effect N at 0, 10, ..., 100 percent.
int RunSheet(const Args& args);
// form SKIN NAME OUT.png [options]: one form of a skin file as its window, as PNG.
int RunForm(const Args& args);
// settings OUT.png [--page 1|2] [--ini FILE.ini]: the settings dialog as PNG.
int RunSettings(const Args& args);
// scene FILE.kxp --frames N --dt MS --out DIR [options]: N frames of a scene as PNGs.
int RunScene(const Args& args);

}  // namespace kx::kxrender
