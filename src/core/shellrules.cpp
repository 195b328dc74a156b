#include "core/shellrules.h"

#include "core/files.h"
#include "core/text.h"

#include <algorithm>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// A value of type string in a desktop entry: backslash, line feed, tab and carriage return are
// written as escapes so the value stays on its one line.
QString stringValue(QStringView value)
{
    // Each character that needs it, and the letter written after the backslash.
    static constexpr std::array<std::pair<char16_t, char16_t>, 4> Escapes{
        {{u'\\', u'\\'}, {u'\n', u'n'}, {u'\t', u't'}, {u'\r', u'r'}}};
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        const auto escape = std::find_if(Escapes.begin(), Escapes.end(),
                                         [c](const auto& e) { return e.first == c.unicode(); });
        if (escape == Escapes.end()) {
            out += c;
        } else {
            out += u'\\';
            out += QChar(escape->second);
        }
    }
    return out;
}

// The value of one shortcut.inf line: what follows the first "=", when that is not the first
// character.
QString lineValue(QStringView line, bool* usable = nullptr)
{
    const qsizetype equals = line.indexOf(u'=');
    const bool ok = equals >= 1;
    if (usable)
        *usable = ok;
    return ok ? text::trimBlanks(line.mid(equals + 1)) : QString();
}

} // namespace

QByteArray shellrules::traceRecord(QStringView date, QStringView time, QStringView request)
{
    const QString record = u"----------------\r\n"_s + date.toString() + u" ^ "_s + time.toString()
        + u"\r\n\""_s + request.toString() + u"\"\r\n"_s;
    return files::toAnsi(record);
}

QString shellrules::traceTimeFormat(QStringView localeFormat)
{
    // Newer locale data puts a narrow or non-breaking space before AM/PM or between the parts;
    // the 8-bit log would get a '?' for it.
    QString longFormat = localeFormat.toString();
    for (QChar& ch : longFormat)
        if (ch.category() == QChar::Separator_Space)
            ch = u' ';
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < longFormat.size(); ++i) {
        const QChar ch = longFormat[i];
        if (ch == u'\'')
            quoted = !quoted;
        if (quoted || ch == u'\'' || ch != u't') {
            out += ch;
            continue;
        }
        // A zone designator (t, tt, ttt, tttt) goes with the blank that separates it.
        while (i + 1 < longFormat.size() && longFormat[i + 1] == u't')
            ++i;
        if (out.endsWith(u' '))
            out.chop(1);
        else if (i + 1 < longFormat.size() && longFormat[i + 1] == u' ')
            ++i;
    }
    return out;
}

QString shellrules::helpText(Help which)
{
    // The pieces are joined exactly as the help notes have always read: where a piece ends
    // without a blank ("supplier." + "NOTE:", "placing" + ...), none is added. Deliberate.
    const QString loginIdentity = u"identity and MUST be exactly as provided to you."_s;
    switch (which) {
    case Help::BusinessName:
        return u"Provide your business name. This identifies you to your supplier when making "
               "an order. "_s
            + u"There is no specific requirements for this field."_s;
    case Help::AccountNumber:
        return u"Provide your ACCOUNT NUMBER assigned to you by your supplier. This is part of "
               "your Login "_s
            + loginIdentity;
    case Help::LoginName:
        return u"Provide the LOGIN name assigned to you by your supplier. This is part of your "
               "Login "_s
            + loginIdentity;
    case Help::HostAddress:
        return u"Provide either the IP address -or- the Dynamic URL of the server of your "
               "supplier."_s
            + u"NOTE: if using an IP address you MUST have four groups of numbers separated by "
              "periods '.'"_s;
    case Help::PoOptions:
        return u"If you use Purchase Order Numbers when placing orders, check this box. "_s
            + u"If you have a continuous PO# (Standing PO#), check BOTH boxes and provide "_s
            + u"the PO# in the box below."_s;
    case Help::RepName:
        return u"If you prefer that employees of your business provide their name when placing"_s
            + u"Orders, check this box and they will be prompted for their name before they"_s
            + u"can finish sending an order to your supplier."_s;
    case Help::StandingPo:
        return u"If you use a continuous single PO#, provide it here and ensure that you check "_s
            + u"BOTH boxes above."_s;
    }
    return {};
}

std::optional<shellrules::ShortcutInfo> shellrules::readShortcutInfo(QByteArrayView content)
{
    if (content.size() < 5)
        return std::nullopt;
    const QStringList lines = files::splitLines(files::fromAnsi(content));
    if (lines.isEmpty())
        return std::nullopt;
    bool usable = false;
    ShortcutInfo info;
    info.target = lineValue(lines.at(0), &usable);
    if (!usable || lines.size() < 3)
        return std::nullopt;
    info.name = lineValue(lines.at(2));
    if (info.name.isEmpty())
        info.name = u"Vornik"_s;
    return info;
}

QString shellrules::launcherFileName(QStringView name)
{
    QString file = name.toString();
    file.replace(u'/', u'-');
    return file + u".desktop"_s;
}

QString shellrules::execArgument(QStringView argument)
{
    QString quoted = u"\""_s;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted += u'"';
    return stringValue(quoted).replace(u'%', u"%%"_s);
}

QString shellrules::launcherText(QStringView name, QStringView program, QStringView folder,
                                 QStringView icon)
{
    QString entry = u"[Desktop Entry]\nType=Application\nName="_s + stringValue(name) + u"\nExec="_s
        + execArgument(program) + u"\nPath="_s + stringValue(folder) + u"\nTerminal=false\n"_s;
    if (!icon.isEmpty())
        entry += u"Icon="_s + stringValue(icon) + u'\n';
    return entry;
}
