#pragma once
// The 13-byte marker that starts every payload container.
//
// The engine must be able to find the marker in its own executable file, where the payload
// follows the engine's bytes, so the plain marker must not appear anywhere in the engine.
// It is therefore stored with every byte decreased by 1 and rebuilt at run time.
#include <array>
#include <cstddef>
#include <cstdint>

namespace kx {

inline constexpr size_t kMarkerSize = 13;
using Marker = std::array<uint8_t, kMarkerSize>;

// The plain marker bytes, rebuilt from the stored form at run time.
Marker ContainerMarker();

}  // namespace kx
