#pragma once
// The table of the 169 transition effects, indexed from 1 as everywhere in the settings.
// Row 0 is not an effect (no name, no procedure). The names are for display; effects are
// always referred to by index.
#include <cstdint>

#include "transitions/EffectProc.h"

namespace kx {

struct TEffect {
  const char* Name;
  TEffectProc Proc;
};

inline constexpr int32_t kEffectCount = 169;

extern const TEffect Effects[kEffectCount + 1];

inline bool IsEffectIndex(int32_t index) { return index >= 1 && index <= kEffectCount; }

}  // namespace kx
