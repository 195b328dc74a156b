#include "core/numbers.h"

#include <QChar>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

using namespace Qt::StringLiterals;

namespace {

// A decimal number taken apart: sign, the digits before and after the point and the exponent.
struct Decimal
{
    bool negative = false;
    std::string integerDigits;
    std::string fractionDigits;
    qint64 exponent = 0;
};

// Exponents beyond this are clamped while reading; the value is far outside double range anyway.
constexpr qint64 ExponentClamp = 1'000'000'000'000LL;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The text as ASCII bytes. A character outside ASCII can never be part of a number, so the copy
// ends there. The caller decides which characters are skipped.
template <typename Skip> std::string asciiCopy(QStringView text, Skip skip)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (skip(u))
            continue;
        if (u >= 0x80)
            break;
        out.push_back(static_cast<char>(u));
    }
    return out;
}

// Reads "[sign] digits [. digits] [exponent]" from position pos; exponentLetters lists the
// letters that may introduce an exponent. On success pos is left after the number.
bool readDecimal(const std::string& s, size_t& pos, std::string_view exponentLetters, Decimal& out)
{
    size_t i = pos;
    out = Decimal();
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        out.negative = s[i] == '-';
        ++i;
    }
    while (i < s.size() && isDigit(s[i]))
        out.integerDigits.push_back(s[i++]);
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            out.fractionDigits.push_back(s[i++]);
    }
    if (out.integerDigits.empty() && out.fractionDigits.empty())
        return false;

    // An exponent counts only when at least one digit follows its letter (and sign).
    if (i < s.size() && exponentLetters.find(s[i]) != std::string_view::npos) {
        size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            negativeExponent = s[j] == '-';
            ++j;
        }
        if (j < s.size() && isDigit(s[j])) {
            qint64 e = 0;
            while (j < s.size() && isDigit(s[j])) {
                if (e < ExponentClamp)
                    e = e * 10 + (s[j] - '0');
                ++j;
            }
            out.exponent = negativeExponent ? -e : e;
            i = j;
        }
    }
    pos = i;
    return true;
}

enum class Range { Inside, Overflow };

// The double nearest to the decimal; Overflow when its magnitude exceeds the double range
// (a value too small to represent becomes 0).
std::pair<double, Range> toDouble(const Decimal& d)
{
    // Significant digits only: the leading zeros of the whole digit string do not count.
    std::string digits = d.integerDigits + d.fractionDigits;
    const size_t firstNonZero = digits.find_first_not_of('0');
    const double zero = d.negative ? -0.0 : 0.0;
    if (firstNonZero == std::string::npos)
        return {zero, Range::Inside};

    // value = 0.<digits from firstNonZero> * 10^magnitude
    const qint64 magnitude = static_cast<qint64>(d.integerDigits.size())
        - static_cast<qint64>(firstNonZero) + d.exponent;
    const double largest = d.negative ? -DBL_MAX : DBL_MAX;
    if (magnitude > 400)
        return {largest, Range::Overflow};
    if (magnitude < -400)
        return {zero, Range::Inside};

    std::string normal = "0.";
    normal.append(digits, firstNonZero);
    normal.push_back('e');
    normal.append(std::to_string(magnitude));

    double value = 0;
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value,
                                           std::chars_format::general);
    Q_UNUSED(end);
    if (ec == std::errc::result_out_of_range)
        return magnitude > 0 ? std::pair{largest, Range::Overflow} : std::pair{zero, Range::Inside};
    if (ec != std::errc())
        return {zero, Range::Inside};
    return {d.negative ? -value : value, Range::Inside};
}

// &H / &O numbers: unsigned, exact up to 64 bits, approximate (but never infinite) beyond.
double radixValue(const std::string& s, size_t pos, int radix)
{
    std::uint64_t exact = 0;
    double approx = 0;
    bool exactFits = true;
    for (; pos < s.size(); ++pos) {
        const char c = s[pos];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= radix)
            break;
        const auto r = static_cast<std::uint64_t>(radix);
        const auto dg = static_cast<std::uint64_t>(digit);
        if (exactFits && exact <= (std::numeric_limits<std::uint64_t>::max() - dg) / r) {
            exact = exact * r + dg;
            continue;
        }
        if (exactFits) {
            approx = static_cast<double>(exact);
            exactFits = false;
        }
        approx = std::min(approx * radix + digit, DBL_MAX);
    }
    return exactFits ? static_cast<double>(exact) : approx;
}

// The decimal text of a shortest round-trip conversion ("1.5e+00", "-2e+20") expanded into
// integer and fraction digits.
Decimal expandShortest(std::string_view shortest)
{
    Decimal d;
    std::string s(shortest);
    size_t pos = 0;
    readDecimal(s, pos, "eE", d);
    if (d.exponent > 0) {
        const auto shift = static_cast<size_t>(d.exponent);
        std::string moved = d.fractionDigits.substr(0, std::min(shift, d.fractionDigits.size()));
        moved.resize(shift, '0');
        d.integerDigits += moved;
        d.fractionDigits.erase(0, std::min(shift, d.fractionDigits.size()));
    } else if (d.exponent < 0) {
        const auto shift = static_cast<size_t>(-d.exponent);
        std::string moved = d.integerDigits;
        if (moved.size() < shift)
            moved.insert(0, shift - moved.size(), '0');
        d.fractionDigits = moved.substr(moved.size() - shift) + d.fractionDigits;
        d.integerDigits = moved.substr(0, moved.size() - shift);
    }
    d.exponent = 0;
    return d;
}

// "#####.00" from the decimal digits, rounding half away from zero on the digits themselves.
QString pricePatternOf(std::string_view shortest)
{
    Decimal d = expandShortest(shortest);
    std::string fraction = d.fractionDigits;
    fraction.resize(3, '0');
    std::string digits = d.integerDigits + fraction.substr(0, 2);
    if (fraction[2] >= '5') {
        // Add one in the last place and carry.
        size_t i = digits.size();
        bool carry = true;
        while (carry && i > 0) {
            --i;
            if (digits[i] == '9') {
                digits[i] = '0';
            } else {
                ++digits[i];
                carry = false;
            }
        }
        if (carry)
            digits.insert(0, 1, '1');
    }
    std::string integer = digits.substr(0, digits.size() - 2);
    const std::string cents = digits.substr(digits.size() - 2);
    integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));

    const bool allZero = integer.empty() && cents == "00";
    std::string out;
    if (d.negative && !allZero)
        out.push_back('-');
    out += integer;
    out.push_back('.');
    out += cents;
    return QString::fromLatin1(out);
}

// Infinity becomes the largest finite value of its sign and NaN becomes 0, so every writer
// below produces a number.
template <typename F> F finiteOrClamped(F value)
{
    if (std::isnan(value))
        return 0;
    if (std::isinf(value))
        return value < 0 ? -std::numeric_limits<F>::max() : std::numeric_limits<F>::max();
    return value == 0 ? F(0) : value; // no "-0"
}

template <typename F> QString pricePatternT(F value)
{
    // Scientific form always gives the shortest digits; the fixed form would print every digit
    // of a large whole number's binary value (33935263963869904896 rather than ...905000).
    char buf[64];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, finiteOrClamped(value), std::chars_format::scientific);
    if (ec != std::errc())
        return u".00"_s;
    return pricePatternOf(std::string_view(buf, static_cast<size_t>(end - buf)));
}

// %.<precision>g without the user's locale, with an upper-case exponent letter.
template <typename F> std::string generalText(F value, int precision)
{
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, finiteOrClamped(value),
                                         std::chars_format::general, precision);
    if (ec != std::errc())
        return "0";
    std::string s(buf, end);
    std::replace(s.begin(), s.end(), 'e', 'E');
    return s;
}

} // namespace

double numbers::numericValue(QStringView text)
{
    const std::string s =
        asciiCopy(text, [](char16_t u) { return u == u' ' || u == u'\t' || u == u'\n'; });
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h')
            return radixValue(s, 2, 16);
        if (s[1] == 'O' || s[1] == 'o')
            return radixValue(s, 2, 8);
        return 0;
    }
    size_t pos = 0;
    Decimal d;
    if (!readDecimal(s, pos, "eEdD", d))
        return 0;
    return toDouble(d).first;
}

double numbers::roundHalfEven(double value)
{
    // Under the default rounding mode (to nearest, ties to even), which nothing here changes.
    return std::nearbyint(value);
}

std::optional<qint16> numbers::toInt16(double value)
{
    const double r = roundHalfEven(value);
    if (!std::isfinite(r) || r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<qint16>(r);
}

std::optional<qint32> numbers::toInt32(double value)
{
    const double r = roundHalfEven(value);
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0)
        return std::nullopt;
    return static_cast<qint32>(r);
}

QString numbers::pricePattern(double value)
{
    return pricePatternT(value);
}

QString numbers::pricePattern(float value)
{
    return pricePatternT(value);
}

QString numbers::numberText(double value)
{
    std::string s = generalText(value, 15);
    if (s.front() != '-')
        s.insert(0, 1, ' ');
    return QString::fromLatin1(s);
}

QString numbers::plainNumber(float value)
{
    // Fixed notation without a precision gives the shortest digits that read back as the value.
    char buf[64];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, finiteOrClamped(value), std::chars_format::fixed);
    if (ec != std::errc())
        return u"0"_s;
    return QString::fromLatin1(buf, end - buf);
}

std::optional<double> numbers::strictNumber(QStringView text)
{
    // Characters outside ASCII are kept as a marker that no number may contain.
    std::string s;
    s.reserve(static_cast<size_t>(text.size()));
    for (const QChar ch : text)
        s.push_back(ch.unicode() < 0x80 ? static_cast<char>(ch.unicode()) : '\x7f');
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    s = s.substr(first, s.find_last_not_of(' ') - first + 1);

    size_t pos = 0;
    Decimal d;
    if (!readDecimal(s, pos, "eE", d) || pos != s.size())
        return std::nullopt;
    // A dangling exponent ("1e", "1e+") is left unread by readDecimal and fails the check above.
    const auto [value, range] = toDouble(d);
    if (range == Range::Overflow)
        return std::nullopt;
    return value;
}

std::optional<float> numbers::strictSingle(QStringView text)
{
    const auto value = strictNumber(text);
    if (!value)
        return std::nullopt;
    // Halfway between FLT_MAX and the next power of two: from there on a double rounds to
    // infinity in single precision, below it to FLT_MAX (whose own shortest text is accepted).
    const double limit = std::ldexp(2.0 - std::ldexp(1.0, -24), 127);
    if (std::fabs(*value) >= limit)
        return std::nullopt;
    return static_cast<float>(*value);
}
