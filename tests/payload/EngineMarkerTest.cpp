#include <gtest/gtest.h>

#include <algorithm>

#include "payload/Marker.h"
#include "platform/Files.h"

namespace kx {
namespace {

// The engine finds its payload by the first marker in its own file, so the marker must not
// appear in the engine's own bytes.
TEST(EngineExecutable, DoesNotContainTheMarkerInPlainForm) {
  std::string engine;
  ASSERT_TRUE(ReadFileBytes(KXSAVER_PATH, engine));
  ASSERT_GT(engine.size(), 10000u);
  const Marker m = ContainerMarker();
  const std::string marker(reinterpret_cast<const char*>(m.data()), m.size());
  EXPECT_EQ(engine.find(marker), std::string::npos);
  // The stored form is in there, which shows the search above looked at the right file.
  std::string stored = marker;
  for (char& c : stored) c = static_cast<char>(c - 1);
  EXPECT_NE(engine.find(stored), std::string::npos);
}

}  // namespace
}  // namespace kx
