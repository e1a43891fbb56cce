#include "platform/SoundOwner.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace kx {

std::string SoundOwnerName(unsigned uid) { return "kxsaver-sound-" + std::to_string(uid); }

SoundOwner::SoundOwner(const std::string& name) {
  fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // A leading NUL byte puts the name in the abstract namespace: no file is made.
  const size_t length = std::min(name.size(), sizeof(address.sun_path) - 1);
  std::memcpy(address.sun_path + 1, name.data(), length);
  const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
  if (bind(fd_, reinterpret_cast<const sockaddr*>(&address), size) == 0) return;
  owns_ = errno != EADDRINUSE;
  close(fd_);
  fd_ = -1;
}

SoundOwner::SoundOwner() : SoundOwner(SoundOwnerName(static_cast<unsigned>(geteuid()))) {}

SoundOwner::~SoundOwner() {
  if (fd_ >= 0) close(fd_);  // releases the name
}

}  // namespace kx
