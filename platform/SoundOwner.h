#pragma once
// One sound for all instances: when a daemon runs one screensaver per monitor, only one of
// them plays music and scene sounds. The instance that first binds a per-user name in the
// abstract socket namespace owns the sound until it ends; the kernel releases the name with
// the process, also when it is killed, and no file is left anywhere. The others run silent.
#include <string>

namespace kx {

// The name of this user's sound owner ("kxsaver-sound-UID").
std::string SoundOwnerName(unsigned uid);

class SoundOwner {
 public:
  // Tries to take `name`. When the name cannot be tried at all (no socket), this instance
  // counts as the owner: a show is never silenced by an error of its own.
  explicit SoundOwner(const std::string& name);
  // For the running user.
  SoundOwner();
  ~SoundOwner();
  SoundOwner(const SoundOwner&) = delete;
  SoundOwner& operator=(const SoundOwner&) = delete;

  bool Owns() const { return owns_; }

 private:
  int fd_ = -1;
  bool owns_ = true;
};

}  // namespace kx
