#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace fw {

// The one conversion of a double to a 32-bit integer used everywhere: truncation
// toward zero, saturating at the Int32 range, NaN gives 0. A plain cast would be
// undefined behaviour outside the range.
constexpr int32_t ToInt32(double v) {
    if (v != v) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// a / b rounded up, for a >= 0 and b > 0.
constexpr int64_t CeilDiv(int64_t a, int64_t b) { return (a + b - 1) / b; }

// a * b, saturating at the Int64 range instead of overflowing. Sizes, counts and
// strides read from a file multiply through this: a file may name any number, and
// a plain product of two of them can be undefined behaviour.
constexpr int64_t SaturatingMul(int64_t a, int64_t b) {
    int64_t product = 0;
    if (!__builtin_mul_overflow(a, b, &product)) return product;
    return (a < 0) == (b < 0) ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

// The framework's text-to-number conversion: the longest leading number of the
// text (after blanks), 0 when there is none.
double CDbl(const std::string& text);

} // namespace fw
