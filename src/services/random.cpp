#include "services/random.h"

#include <time.h>

#include <algorithm>
#include <atomic>

namespace wordloom {
namespace {

thread_local std::uint32_t tState = 0;
std::atomic<std::uint32_t> gSeedCounter{0};

std::uint32_t MillisecondsSinceBoot() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
}

}  // namespace

void SeedRandom() {
  const std::uint32_t t = MillisecondsSinceBoot();
  std::uint32_t counter = gSeedCounter.load(std::memory_order_relaxed);
  std::uint32_t seed = 0;
  // Seed and counter step must come from the same counter value, even with two threads.
  do {
    seed = t + counter;
  } while (!gSeedCounter.compare_exchange_weak(counter, counter + (seed & 0xFFu) + 100u,
                                               std::memory_order_relaxed));
  tState = seed;
}

void SeedRandom(std::uint32_t seed) { tState = seed; }

int NextRandom15() {
  tState = tState * 214013u + 2531011u;
  return static_cast<int>((tState >> 16) & 0x7FFFu);
}

long RandomInRange(long a, long b) {
  const unsigned long lo = static_cast<unsigned long>(std::max(0L, std::min(a, b)));
  const unsigned long hi = static_cast<unsigned long>(std::max(0L, std::max(a, b)));
  if (lo == hi) return static_cast<long>(lo);
  const unsigned long span = hi - lo + 1;
  // Ranges of up to 32768 values take one draw, as they always did. Wider ranges chain
  // draws into as many 15-bit digits as the span needs, so every value can come up.
  unsigned long long draw = static_cast<unsigned long long>(NextRandom15());
  for (unsigned long long reach = 32768; reach < span && reach < (1ULL << 60); reach <<= 15) {
    draw = (draw << 15) | static_cast<unsigned long long>(NextRandom15());
  }
  return static_cast<long>(lo + draw % span);
}

std::uint64_t EvenRandomBelow(std::uint64_t n) {
  if (n <= 1) return 0;
  std::uint64_t draw = static_cast<std::uint64_t>(NextRandom15());
  // Up to 2^45 values (far beyond any library) the chained range stays below 2^63.
  for (std::uint64_t reach = 32768; reach / 32768 < n && reach < (std::uint64_t{1} << 60);
       reach <<= 15) {
    draw = (draw << 15) | static_cast<std::uint64_t>(NextRandom15());
  }
  return draw % n;
}

}  // namespace wordloom
