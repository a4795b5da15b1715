// Comparison of a run's output text with its expected text: every character
// outside numbers must match; numbers may differ by a small relative amount
// (the last printed digit of a value computed in another order).
#pragma once

#include <string>

namespace golden {

// Empty when `actual` matches `expected`; otherwise a description of the first
// difference (line number, both lines).
std::string compare_texts(const std::string& expected, const std::string& actual, double relative_tolerance);

}  // namespace golden
