#pragma once
// The desktop of the user's session, for the "Set as a Wallpaper" action.
#include <string>

namespace kx {

class DesktopService {
 public:
  virtual ~DesktopService() = default;
  // Makes the picture file at `path` (absolute) the desktop wallpaper, centred and not tiled.
  // False, with the reason in `error`, when the desktop could not be told.
  virtual bool SetWallpaper(const std::string& path, std::string& error) = 0;
};

}  // namespace kx
