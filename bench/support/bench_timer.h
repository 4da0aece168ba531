// Wall-clock and peak-memory readings for the benchmarks.
#pragma once
#include <cstdint>

namespace tavik::bench {

double NowSeconds();
// Peak resident set of this process in bytes (0 where unknown).
uint64_t PeakMemoryBytes();

}  // namespace tavik::bench
