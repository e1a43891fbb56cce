#pragma once
// kxpack skin SOURCE OUT.kxu: writes a skin file from readable form texts.
//
// SOURCE is a folder holding "skin.txt", or such a list file itself, or one form file
// (".kxf"). The list names the form files in order, one a line (blank lines and lines
// beginning with ";" are skipped). A form file holds one form text, in which a picture may be
// named by file instead of written as binary data:
//
//   Picture.File = 'background.jpg'     becomes    Picture.Data = { ...the picture... }
//   ButtonUp.File = 'play-up.bmp'                  ButtonUp.Data = { ... }
//   Glyph.File = 'ok.bmp'                          Glyph.Data = { ... }  (BMP only)
//
// (the file's format, found from its data, gives the graphic class; names are relative to the
// form file's folder), then optionally a line "actions" and the form's actions, one a line:
//
//   ComponentName = Kind [| Parameter1 [| Parameter2 [| Parameter3]]]
//
// where Kind is a number or the designer's name of the kind ("Show window"). Every form text
// and action block is checked by the engine's own readers before the skin is written.
#include <string>
#include <vector>

namespace kx {

// The skin text of SOURCE (CR LF line ends), or false with an error naming file and line.
bool CompileSkin(const std::string& source, std::string& skinText, std::string& error);

int RunSkinCommand(const std::vector<std::string>& args);

}  // namespace kx
