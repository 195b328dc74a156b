// The numeric value of a text and everything that writes a number back.
#include "core/numbers.h"
#include "fuzzinput.h"

#include <cfloat>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = fuzzText(data, size);
    const double value = numbers::numericValue(text);
    if (!std::isfinite(value))
        __builtin_trap(); // callers convert it: it is always a finite number
    (void)numbers::toInt16(value);
    (void)numbers::toInt32(value);
    (void)numbers::pricePattern(value);
    (void)numbers::numberText(value);
    if (std::fabs(value) <= FLT_MAX) {
        (void)numbers::pricePattern(static_cast<float>(value));
        (void)numbers::plainNumber(static_cast<float>(value));
    }
    if (const auto strict = numbers::strictSingle(text))
        (void)numbers::pricePattern(*strict);
    (void)numbers::strictNumber(text);
    return 0;
}
