#pragma once
// Animation speeds in percent, indexed 0 to 20 by the user's speed setting, the settings
// dialog's slider and the weather speed of scenes.
#include <array>
#include <cstdint>

namespace kx {

inline constexpr std::array<int32_t, 21> SpeedTable = {10,  20,  30,  45,  50,  60,  70,
                                                       75,  80,  90,  100, 120, 140, 160,
                                                       180, 200, 220, 240, 360, 480, 500};

// The last index whose value equals `percent`, or -1.
constexpr int SpeedIndexOf(int32_t percent) {
  for (int i = static_cast<int>(SpeedTable.size()) - 1; i >= 0; --i)
    if (SpeedTable[static_cast<size_t>(i)] == percent) return i;
  return -1;
}

}  // namespace kx
