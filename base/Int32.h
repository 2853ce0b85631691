// Doubles to 32-bit integers, the two ways the program needs them: rounded
// where the value must fit, truncated and pinned where any value must give
// some whole number (a frame number from a wild position).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

// Nearest integer, halves to even; nothing when that does not fit 32 bits
// (NaN included).
inline std::optional<int32_t> RoundToInt32(double value) {
  const double rounded = std::nearbyint(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
  return static_cast<int32_t>(rounded);
}

// Truncated toward zero; NaN gives 0 and values beyond 32 bits the nearest
// end, so no input reaches undefined behaviour.
inline int32_t SaturateToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}
