#include "tools/kxpack/InstallProgramsList.h"

#include "tools/kxpack/InstallFiles.h"

namespace kx {
namespace {

constexpr size_t kFileLimit = 8 << 20;  // a larger ~/.xscreensaver is not edited

const char kSeparator[] = "\\n";

std::string Trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

std::vector<std::string> PhysicalLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A line continues on the next one when it ends in a single backslash ("\n\" does;
// an escaped "\\" does not).
bool Continues(const std::string& line) {
  std::string s = line;
  while (!s.empty() && s.back() == '\r') s.pop_back();
  size_t backslashes = 0;
  while (backslashes < s.size() && s[s.size() - 1 - backslashes] == '\\') ++backslashes;
  return backslashes % 2 == 1;
}

std::string WithoutContinuation(const std::string& line) {
  std::string s = line;
  while (!s.empty() && s.back() == '\r') s.pop_back();
  if (Continues(s)) s.pop_back();
  return s;
}

std::vector<std::string> SplitEntries(const std::string& body) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (true) {
    const auto end = body.find(kSeparator, start);
    pieces.push_back(body.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return pieces;
}

// The resource key of a line that starts one ("programs" for "*programs:" and
// "programs:"), or "" for comments and other lines.
std::string KeyOf(const std::string& line) {
  std::string s = Trimmed(line);
  if (s.empty() || s[0] == '#' || s[0] == '!') return std::string();
  const auto colon = s.find(':');
  if (colon == std::string::npos) return std::string();
  std::string key = Trimmed(s.substr(0, colon));
  const auto dot = key.find_last_of("*.");
  if (dot != std::string::npos) key = key.substr(dot + 1);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

struct Block {
  size_t first = 0;  // the line with the key
  size_t last = 0;   // its last continuation line
};

std::vector<Block> ProgramsBlocks(const std::vector<std::string>& lines) {
  std::vector<Block> blocks;
  for (size_t i = 0; i < lines.size(); ++i) {
    size_t end = i;
    while (end + 1 < lines.size() && Continues(lines[end])) ++end;
    if (KeyOf(lines[i]) == "programs") blocks.push_back({i, end});
    i = end;
  }
  return blocks;
}

bool NeedsShellQuotes(const std::string& path) {
  for (char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       std::string("/._+-,=@%:").find(c) != std::string::npos;
    if (!plain) return true;
  }
  return false;
}

std::string NewListLine(const std::string& entry, bool more) {
  return "  " + entry + (more ? " \\n\\" : " \\n");
}

}  // namespace

std::vector<std::string> SystemProgramEntries(const std::string& text) {
  std::vector<std::string> entries;
  const std::vector<std::string> lines = PhysicalLines(text);
  const std::vector<Block> blocks = ProgramsBlocks(lines);
  if (blocks.empty()) return entries;
  const Block& b = blocks.back();
  for (size_t i = b.first; i <= b.last; ++i) {
    std::string body = WithoutContinuation(lines[i]);
    if (i == b.first) body = body.substr(body.find(':') + 1);
    for (const auto& piece : SplitEntries(body)) {
      const std::string entry = Trimmed(piece);
      if (!entry.empty()) entries.push_back(entry);
    }
  }
  return entries;
}

bool ProgramsEntry(const std::string& productName, const std::string& saverPath, std::string& entry) {
  for (char c : saverPath)
    if (c == '\'' || c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
  std::string label;
  for (char c : ValidUtf8(productName))
    label += (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) ? '\'' : c;
  entry = "\"" + label + "\" " + (NeedsShellQuotes(saverPath) ? "'" + saverPath + "'" : saverPath) + " --root";
  return true;
}

std::string EntryCommandWord(const std::string& entryText) {
  std::string s = Trimmed(entryText);
  if (!s.empty() && s[0] == '-') s = Trimmed(s.substr(1));
  // A visual name such as "GL:" comes before the label and the command.
  const auto space = s.find_first_of(" \t");
  if (space != std::string::npos && space > 0 && s[space - 1] == ':' && s[0] != '"') s = Trimmed(s.substr(space));
  else if (space == std::string::npos && !s.empty() && s.back() == ':') return std::string();
  if (!s.empty() && s[0] == '"') {
    const auto close = s.find('"', 1);
    s = close == std::string::npos ? std::string() : Trimmed(s.substr(close + 1));
  }
  if (!s.empty() && s[0] == '\'') {
    const auto close = s.find('\'', 1);
    return close == std::string::npos ? s.substr(1) : s.substr(1, close - 1);
  }
  return s.substr(0, s.find_first_of(" \t"));
}

bool EditProgramsList(const std::string& text, const std::string& saverPath, const std::string& entry,
                      const std::vector<std::string>& systemEntries, std::string& out, std::string& error) {
  if (text.size() > kFileLimit) {
    error = "too large to be a settings file";
    return false;
  }
  if (text.find('\0') != std::string::npos) {
    error = "damaged (it holds NUL bytes)";
    return false;
  }
  std::vector<std::string> lines = PhysicalLines(text);
  if (!lines.empty() && Continues(lines.back())) {
    error = "damaged (it ends inside a continued line)";
    return false;
  }
  const bool endedWithNewline = text.empty() || text.back() == '\n';
  std::vector<Block> blocks = ProgramsBlocks(lines);

  // Remove our entries, block by block; a line left without entries goes away.
  std::vector<std::string> kept;
  std::vector<size_t> newHeader;  // index in `kept` of each block's first line
  size_t blockIndex = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (blockIndex >= blocks.size() || i != blocks[blockIndex].first) {
      kept.push_back(lines[i]);
      continue;
    }
    const Block& b = blocks[blockIndex++];
    const bool lastContinued = Continues(lines[b.last]);
    newHeader.push_back(kept.size());
    for (size_t k = b.first; k <= b.last; ++k) {
      const std::string& line = lines[k];
      const bool continued = Continues(line);
      std::string body = WithoutContinuation(line);
      std::string head;
      if (k == b.first) {
        const auto colon = body.find(':');
        head = body.substr(0, colon + 1);
        body = body.substr(colon + 1);
      }
      std::vector<std::string> pieces = SplitEntries(body);
      std::vector<std::string> others;
      bool removed = false;
      for (const auto& piece : pieces) {
        if (!Trimmed(piece).empty() && EntryCommandWord(piece) == saverPath) removed = true;
        else if (!Trimmed(piece).empty()) others.push_back(Trimmed(piece));
      }
      if (!removed) {
        kept.push_back(line);
        continue;
      }
      const bool separatorAtEnd = pieces.size() > 1 && Trimmed(pieces.back()).empty();
      std::string rebuilt;
      for (size_t p = 0; p < others.size(); ++p) rebuilt += (p ? " \\n " : "") + others[p];
      if (!others.empty() && separatorAtEnd) rebuilt += " \\n";
      if (k == b.first) {
        kept.push_back(head + (rebuilt.empty() ? "" : "\t" + rebuilt) + (continued ? "\t\\" : ""));
      } else if (!rebuilt.empty()) {
        kept.push_back("  " + rebuilt + (continued ? "\\" : ""));
      }
    }
    // When the block's last line went away, the line before it must not continue into
    // whatever follows the block.
    std::string& tail = kept.back();
    if (!lastContinued && Continues(tail)) tail = WithoutContinuation(tail);
    i = b.last;
  }

  if (!entry.empty()) {
    if (newHeader.empty()) {
      // No list yet: ours first, then the system list, so that nothing offered before is lost.
      if (!kept.empty() && !Trimmed(kept.back()).empty()) kept.push_back("");
      kept.push_back("programs:\t\\");
      kept.push_back(NewListLine(entry, !systemEntries.empty()));
      for (size_t i = 0; i < systemEntries.size(); ++i)
        kept.push_back(NewListLine(systemEntries[i], i + 1 < systemEntries.size()));
    } else {
      // xscreensaver uses the last programs resource of the file.
      const size_t h = newHeader.back();
      std::string header = kept[h];
      if (Continues(header)) {
        kept.insert(kept.begin() + static_cast<long>(h) + 1, NewListLine(entry, true));
      } else {
        const auto colon = header.find(':');
        const std::string rest = Trimmed(header.substr(colon + 1));
        std::vector<std::string> replacement = {header.substr(0, colon + 1) + "\t\\", NewListLine(entry, !rest.empty())};
        if (!rest.empty()) replacement.push_back("  " + rest);
        kept.erase(kept.begin() + static_cast<long>(h));
        kept.insert(kept.begin() + static_cast<long>(h), replacement.begin(), replacement.end());
      }
    }
  }

  out.clear();
  for (size_t i = 0; i < kept.size(); ++i) {
    out += kept[i];
    if (i + 1 < kept.size() || endedWithNewline || !entry.empty()) out += '\n';
  }
  return true;
}

}  // namespace kx
