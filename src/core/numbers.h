#pragma once
// Number rules shared by every part of the client: reading a number out of a text, rounding it
// to an integer, and the two ways numbers are written back (the price pattern and the number
// text with its sign column).

#include <QString>
#include <QStringView>

#include <optional>

namespace numbers {

// The numeric value of a text. Blanks, tabs and line feeds are ignored anywhere in the text; the
// value is that of the longest leading part that forms a number: an optional sign, digits, an
// optional point and fraction, an optional exponent introduced by E or D (either case); or a
// hexadecimal number introduced by &H, an octal one by &O. A text without such a part is 0.
// The point is always the decimal separator. &H and &O numbers are unsigned (up to 64 bits
// exact); a value beyond the double range gives the largest finite double of its sign.
[[nodiscard]] double numericValue(QStringView text);

// Nearest whole number, a value exactly halfway going to the even neighbour (2.5 -> 2, 3.5 -> 4).
[[nodiscard]] double roundHalfEven(double value);

// Conversion to a 16-bit or 32-bit signed integer: nearest, halves to even; nothing when the
// rounded value lies outside the type's range (or is not a number).
[[nodiscard]] std::optional<qint16> toInt16(double value);
[[nodiscard]] std::optional<qint32> toInt32(double value);

// The price pattern "#####.00": the integer digits without leading zeros (none when the integer
// part is 0), a point, exactly two decimals rounded half away from zero; a negative value gets a
// leading minus sign; wider values are written in full. 0 -> ".00", 12.3 -> "12.30".
// The rounding works on the shortest decimal text of the value in its own precision, so a
// single-precision 2.675f is written 2.68 (as its decimal text reads), not 2.67.
// The writers below always produce a number: NaN is written as 0 and an infinity as the largest
// finite value of its sign.
[[nodiscard]] QString pricePattern(double value);
[[nodiscard]] QString pricePattern(float value);

// The number text: the shortest decimal digits of the number (a point before any fraction, no
// trailing zeros, no trailing point), preceded by a blank when the number is not negative and by
// a minus sign when it is: 3 -> " 3", 2.5 -> " 2.5", -2 -> "-2". Values are written with at most
// 15 significant digits.
[[nodiscard]] QString numberText(double value);

// The plain form of a single-precision number: the shortest decimal text that reads back as the
// same number, never in exponent form and without a leading blank: 12, 7 (for 007), 3.5 (for
// 3.50), 0, -2, 12345678.
[[nodiscard]] QString plainNumber(float value);

// The strict conversion used for the prices and quantities of a server reply: the whole text,
// blanks around it allowed, must be one decimal number (optional sign, digits with an optional
// point and fraction, optional exponent with E); the point is the decimal separator whatever the
// locale. An empty text or anything else is not a number.
[[nodiscard]] std::optional<double> strictNumber(QStringView text);
// A value beyond the double range is not a number either; one too small for it reads as 0.
// strictNumber() held in single precision; nothing when the value does not fit a float (one that
// rounds to the largest float, such as that value's own text, still fits).
[[nodiscard]] std::optional<float> strictSingle(QStringView text);

} // namespace numbers
