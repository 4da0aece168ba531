// The fuzz targets read from the same in-memory file as the tag tests.
#pragma once
#include "tags/file_doubles.h"

namespace tavik::fuzz {
using MemoryFile = tags::testing::MemoryFile;
}  // namespace tavik::fuzz

// A broken invariant is a finding.
#define FUZZ_CHECK(cond) \
  do {                   \
    if (!(cond)) __builtin_trap(); \
  } while (0)
