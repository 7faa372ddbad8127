// The per-thread pseudo-random sequence the draws of the generator use.
#pragma once

#include <cstdint>

namespace wordloom {

// Seeds the calling thread's sequence from the clock and a process-wide counter, so two
// seedings within the same millisecond still differ.
void SeedRandom();
// Seeds the calling thread's sequence with a fixed state (reproducible runs and tests).
void SeedRandom(std::uint32_t seed);

// A value between the two bounds inclusive; negative bounds count as 0.
long RandomInRange(long a, long b);

// One step of the sequence: a value from 0 to 32767.
int NextRandom15();

}  // namespace wordloom
