#include "platform/SoundOwner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

namespace kx {
namespace {

TEST(SoundOwner, OneOwnerAtATimeAndTheNextAfterIt) {
  // A name of this test alone, so a show running on the machine does not interfere.
  const std::string name = "kxsaver-sound-test-" + std::to_string(getpid());
  auto first = std::make_unique<SoundOwner>(name);
  EXPECT_TRUE(first->Owns());
  {
    const SoundOwner second(name);
    EXPECT_FALSE(second.Owns()) << "a second instance runs silent";
  }
  first.reset();
  const SoundOwner third(name);
  EXPECT_TRUE(third.Owns()) << "the sound is free again when its owner ends";
  EXPECT_TRUE(SoundOwner(name + "-other").Owns()) << "another user's name is another owner";
}

}  // namespace
}  // namespace kx
