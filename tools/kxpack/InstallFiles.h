#pragma once
// What `kxpack install` writes beside a screensaver so that the Linux screensaver daemons
// find it: the file name rule, the check that a file is a finished screensaver, the
// daemons' settings panel (NAME.xml) and the desktop entry (NAME.desktop).
//
// Rules:
//  - NAME is the saver's file name up to its first dot, lower-cased, every character
//    outside a-z 0-9 - _ turned into '-' ("Sea Life.scr" -> "sea-life"). A name given by
//    hand must already follow the rule; an empty name is refused.
//  - A finished screensaver is an ELF executable followed by a payload of four members
//    whose first member is a project container of three or four members.
//  - Texts are UTF-8; a product name that is not valid UTF-8 is read as Latin-1.
#include <string>

namespace kx {

std::string SaverNameFromFile(const std::string& path);
bool IsValidSaverName(const std::string& name);

// Reads the project's ProductName from the payload without extracting anything. False with
// an error naming the file when it is not a finished screensaver.
bool ReadSaverProductName(const std::string& path, std::string& productName, std::string& error);

// The options every settings panel offers, each with a "use the saver's own settings"
// default, and `--root` as the command.
std::string SettingsPanelXml(const std::string& name, const std::string& productName,
                             const std::string& saverPath);
std::string DesktopEntry(const std::string& productName, const std::string& saverPath);

// Helpers shared with the programs list editor.
std::string ValidUtf8(const std::string& text);

}  // namespace kx
