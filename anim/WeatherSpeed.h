#pragma once
// Shared by rain and snow: the frame time and speed percent that their motion uses.
#include <algorithm>
#include <cstdint>

#include "project/SpeedTable.h"

namespace kx::weather {

// A frame time above one second is a pause (the show was held up), not motion: it counts as
// 10 ms so that particles do not jump.
inline int32_t EffectiveFrameTime(int32_t frameTime) { return frameTime > 1000 ? 10 : frameTime; }

// The speed table's percent at `index`, clamped to the table.
inline int32_t SpeedPercent(int32_t index) {
  return SpeedTable[static_cast<size_t>(std::clamp<int32_t>(index, 0, static_cast<int32_t>(SpeedTable.size()) - 1))];
}

// Positions beyond this are not drawn (they can only come from absurd speeds).
inline constexpr double kFarAway = 1e7;

}  // namespace kx::weather
