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

// A value from 0 to n - 1 (0 when n is 0 or 1, without a step). Unlike RandomInRange, whose
// single 15-bit step favours the low values of most ranges up to 32768 (up to twice as
// likely), it chains steps until the range holds n at least 32768 times, so no value is
// more than 1/32768 off its share; the number of steps depends on n only.
std::uint64_t EvenRandomBelow(std::uint64_t n);

// One step of the sequence: a value from 0 to 32767.
int NextRandom15();

}  // namespace wordloom
