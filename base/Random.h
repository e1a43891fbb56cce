#pragma once
// The shared random generator of the engine.
//
// One 32-bit state, `RandomSeed`, is stepped as a linear congruential generator:
//   RandomSeed := RandomSeed * 134775813 + 1   (mod 2^32)
// and `RandomBelow(n)` returns the upper 32 bits of the 64-bit product RandomSeed * n,
// a value in 0 .. n-1. Effects that need a repeatable pattern save RandomSeed, draw, and
// restore it.
//
// The state is per thread: the workers of animated objects draw from their own state so
// that they never disturb the repeatable patterns drawn on the window thread.
#include <cstdint>

namespace kx {

extern thread_local uint32_t RandomSeed;

// Steps RandomSeed and returns a value from 0 to n - 1 (0 when n is 0; for a negative n the
// result lies in n + 1 .. 0, as the signed product gives).
int32_t RandomBelow(int32_t n);

// Seeds the calling thread's generator from the clock, for runs that want variety.
void Randomize();

}  // namespace kx
