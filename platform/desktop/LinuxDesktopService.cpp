#include "platform/desktop/LinuxDesktopService.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/desktop/ChildProcess.h"

namespace kx {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// One run of a tool; false with a message that names the tool and what went wrong.
bool Run(const std::string& program, const std::vector<std::string>& arguments, int timeoutMs, std::string& error,
         std::string* output = nullptr) {
  const ChildResult r = RunChildProcess(program, arguments, output != nullptr, timeoutMs);
  if (output != nullptr) *output = r.output;
  if (r.started && !r.timedOut && r.exitCode == 0) return true;
  std::string command = program;
  for (const auto& a : arguments) command += " " + a;
  if (!r.started) error = "could not run " + command;
  else if (r.timedOut) error = command + " did not finish in time";
  else error = command + " failed (exit code " + std::to_string(r.exitCode) + ")";
  return false;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

DesktopSession DesktopSession::FromProcess() {
  DesktopSession s;
  s.path = Env("PATH");
  s.currentDesktop = Env("XDG_CURRENT_DESKTOP");
  s.display = Env("DISPLAY");
  return s;
}

std::string FileUri(const std::string& absolutePath) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "file://";
  for (unsigned char c : absolutePath) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

LinuxDesktopService::LinuxDesktopService(DesktopSession session) : session_(std::move(session)) {}

bool LinuxDesktopService::DesktopNamed(const std::string& upperName) const {
  std::stringstream names(Upper(session_.currentDesktop));
  std::string name;
  while (std::getline(names, name, ':'))
    if (name == upperName) return true;
  return false;
}

bool LinuxDesktopService::WithGsettings(const std::string& program, const std::string& path, std::string& error) const {
  const std::string schema = "org.gnome.desktop.background";
  const std::string uri = FileUri(path);
  if (!Run(program, {"set", schema, "picture-options", "centered"}, session_.timeoutMs, error)) return false;
  if (!Run(program, {"set", schema, "picture-uri", uri}, session_.timeoutMs, error)) return false;
  // Desktops with a dark style keep a second picture; older ones lack the key.
  std::string ignored;
  Run(program, {"set", schema, "picture-uri-dark", uri}, session_.timeoutMs, ignored);
  return true;
}

bool LinuxDesktopService::WithXfconf(const std::string& program, const std::string& path, std::string& error) const {
  const std::string channel = "xfce4-desktop";
  std::string listing;
  if (!Run(program, {"-c", channel, "-l"}, session_.timeoutMs, error, &listing)) return false;
  std::vector<std::string> images;
  std::stringstream lines(listing);
  std::string line;
  while (std::getline(lines, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.rfind("/backdrop/", 0) == 0 && EndsWith(line, "/last-image")) images.push_back(line);
  }
  if (images.empty()) {
    // A desktop that has never had a backdrop set: make the first monitor's.
    const std::string base = "/backdrop/screen0/monitor0/workspace0/";
    return Run(program, {"-c", channel, "-p", base + "image-style", "-n", "-t", "int", "-s", "1"}, session_.timeoutMs,
               error) &&
           Run(program, {"-c", channel, "-p", base + "last-image", "-n", "-t", "string", "-s", path},
               session_.timeoutMs, error);
  }
  for (const auto& image : images) {
    const std::string style = image.substr(0, image.size() - std::string("last-image").size()) + "image-style";
    if (!Run(program, {"-c", channel, "-p", style, "-n", "-t", "int", "-s", "1"}, session_.timeoutMs, error))
      return false;
    if (!Run(program, {"-c", channel, "-p", image, "-s", path}, session_.timeoutMs, error)) return false;
  }
  return true;
}

bool LinuxDesktopService::WithFeh(const std::string& program, const std::string& path, std::string& error) const {
  return Run(program, {"--bg-center", path}, session_.timeoutMs, error);
}

bool LinuxDesktopService::SetWallpaper(const std::string& path, std::string& error) {
  struct Way {
    bool applies;
    const char* tool;
    bool (LinuxDesktopService::*set)(const std::string&, const std::string&, std::string&) const;
  };
  const Way ways[] = {
      {DesktopNamed("GNOME") || DesktopNamed("UNITY") || DesktopNamed("BUDGIE"), "gsettings",
       &LinuxDesktopService::WithGsettings},
      {DesktopNamed("XFCE"), "xfconf-query", &LinuxDesktopService::WithXfconf},
      {!session_.display.empty(), "feh", &LinuxDesktopService::WithFeh},
  };
  std::string lastError;
  for (const Way& way : ways) {
    if (!way.applies) continue;
    const std::string program = FindProgram(way.tool, session_.path);
    if (program.empty()) continue;
    std::string wayError;
    if ((this->*way.set)(program, path, wayError)) return true;
    lastError = wayError;
  }
  error = lastError.empty()
              ? "No way to set the wallpaper was found on this desktop (it needs GNOME, Xfce or feh)."
              : "The wallpaper could not be set: " + lastError;
  return false;
}

}  // namespace kx
