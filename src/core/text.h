#pragma once
// Text rules shared by the client: the blank-only trim and the clean-up of user-typed text that
// goes into comma-separated wire messages and settings records.

#include <QString>
#include <QStringView>

namespace text {

// Removes leading and trailing blanks. Only U+0020 counts: tabs, CR and LF stay, unlike
// QString::trimmed().
[[nodiscard]] QString trimBlanks(QStringView value);

// Every double quote and every comma becomes a blank; the length stays the same. Fields are never
// quoted or escaped on the wire or in the settings records, so typed text passes through here.
[[nodiscard]] QString syntaxOut(QStringView value);

// Left-fills with blanks to width (right alignment); a longer text is returned whole.
[[nodiscard]] QString padLeft(QStringView value, qsizetype width);
// Right-fills with blanks to width (left alignment); a longer text is returned whole.
[[nodiscard]] QString padRight(QStringView value, qsizetype width);

// Upper case as the 8-bit code page has it: each character becomes its single capital when the
// code page holds that capital, and stays as it is otherwise. So "ß" stays "ß" (not "SS", which
// would change the length) and "µ" stays "µ" (its Greek capital cannot be stored).
[[nodiscard]] QString toUpper8Bit(QStringView value);

// Up to count characters starting at the 1-based position (fewer when the text is shorter;
// empty when it starts beyond the end). A position below 1 counts as 1, a negative count as 0.
[[nodiscard]] QString columns(QStringView value, qsizetype position, qsizetype count);

} // namespace text
