#pragma once
// The `programs:` list of ~/.xscreensaver, edited for a per-user install.
//
// The file is a list of "key: value" resources; a line ending in a backslash continues on
// the next line, and the programs value separates its entries with the two characters
// "\n". An entry is `[-] [visual:] ["Label"] command`; "-" disables it. xscreensaver uses
// the programs value of this file instead of the system list when it is there, so a list
// written from nothing starts with ours and copies every entry of the system list after it.
//
// Rules of the edit:
//  - every line that has none of our entries is kept byte for byte;
//  - an entry is ours when its command's first word is the saver's path; all of ours are
//    removed, and for an install one new entry goes first in the list;
//  - a file that holds NUL bytes or ends inside a continued line is damaged and left alone.
#include <string>
#include <vector>

namespace kx {

// The entries of the system list (the `*programs:` resource of the app-defaults text), in
// order, each as it stands between its "\n" separators, trimmed.
std::vector<std::string> SystemProgramEntries(const std::string& appDefaultsText);

// `"Label" PATH --root`, the path quoted for /bin/sh when it needs it. False when the path
// holds a character that neither the shell quoting nor the resource file can carry.
bool ProgramsEntry(const std::string& productName, const std::string& saverPath, std::string& entry);

// The first word of an entry's command, unquoted (the saver path for ours).
std::string EntryCommandWord(const std::string& entry);

// Edits `text` (the whole file, empty when it does not exist): removes our entries for
// `saverPath` and, when `entry` is not empty, adds it first. `systemEntries` fill a programs
// list that has to be written from nothing. False with `error` for a damaged file.
bool EditProgramsList(const std::string& text, const std::string& saverPath, const std::string& entry,
                      const std::vector<std::string>& systemEntries, std::string& out, std::string& error);

}  // namespace kx
