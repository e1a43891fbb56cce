#pragma once
// The wallpaper on Linux desktops, through the desktop's own tools run as child processes:
//
//   GNOME and its relatives (XDG_CURRENT_DESKTOP names GNOME, Unity or Budgie): gsettings sets
//     org.gnome.desktop.background picture-options to "centered" and picture-uri (and
//     picture-uri-dark, where the desktop has it) to the file's URI;
//   Xfce (XDG_CURRENT_DESKTOP names XFCE): xfconf-query sets every backdrop's last-image to
//     the file and its image-style to 1 (centred);
//   any X11 session with feh installed: feh --bg-center.
//
// Each tool is looked up in PATH first and is tried only where it applies; the first that
// succeeds ends the search. When none applies, or all that apply fail, SetWallpaper says why.
#include <string>

#include "platform/DesktopService.h"

namespace kx {

// What the service reads of the session; FromProcess takes it from the environment.
struct DesktopSession {
  std::string path;            // PATH
  std::string currentDesktop;  // XDG_CURRENT_DESKTOP, ':'-separated names
  std::string display;         // DISPLAY
  int timeoutMs = 10000;       // per tool run
  static DesktopSession FromProcess();
};

class LinuxDesktopService final : public DesktopService {
 public:
  explicit LinuxDesktopService(DesktopSession session = DesktopSession::FromProcess());
  bool SetWallpaper(const std::string& path, std::string& error) override;

 private:
  bool DesktopNamed(const std::string& upperName) const;
  bool WithGsettings(const std::string& program, const std::string& path, std::string& error) const;
  bool WithXfconf(const std::string& program, const std::string& path, std::string& error) const;
  bool WithFeh(const std::string& program, const std::string& path, std::string& error) const;
  DesktopSession session_;
};

// "file://" and the path with every byte outside A-Z a-z 0-9 - . _ ~ / percent-encoded.
std::string FileUri(const std::string& absolutePath);

}  // namespace kx
