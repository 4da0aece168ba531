// The ID3v1 genre table (numbers 0 to 125) and the order of the genre combo
// boxes' items.
#pragma once
#include <cstdint>

namespace tavik::tags {

constexpr int kGenreCount = 126;
extern const char* const GenreNames[kGenreCount];
// Genre numbers in the order of the combo box items.
extern const int16_t GenreList[kGenreCount];

}  // namespace tavik::tags
