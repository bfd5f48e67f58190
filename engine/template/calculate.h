// The arithmetic of the ^Add, ^Sub, ^Mul and ^Div tags.
#pragma once

#include <string>
#include <string_view>

namespace varnex {

enum class CalcOp { Add = 0, Sub = 1, Mul = 2, Div = 3 };

// Splits the argument at its first "|" (not when it is the first character)
// and combines the operands: two texts are joined, hexadecimal whole numbers
// use 32-bit arithmetic, anything else extended floats in the general format.
// Overflow and division by zero raise EngineError.
std::string Calculate(CalcOp op, std::string_view argument);

}  // namespace varnex
