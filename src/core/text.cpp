#include "core/text.h"

#include "core/files.h"

#include <algorithm>

QString text::trimBlanks(QStringView value)
{
    qsizetype begin = 0;
    qsizetype end = value.size();
    while (begin < end && value[begin] == u' ')
        ++begin;
    while (end > begin && value[end - 1] == u' ')
        --end;
    return value.sliced(begin, end - begin).toString();
}

QString text::syntaxOut(QStringView value)
{
    QString out = value.toString();
    for (QChar& ch : out) {
        if (ch == u'"' || ch == u',')
            ch = u' ';
    }
    return out;
}

QString text::padLeft(QStringView value, qsizetype width)
{
    if (value.size() >= width)
        return value.toString();
    QString out(width - value.size(), u' ');
    out.append(value);
    return out;
}

QString text::padRight(QStringView value, qsizetype width)
{
    if (value.size() >= width)
        return value.toString();
    QString out = value.toString();
    out.append(QString(width - value.size(), u' '));
    return out;
}

QString text::columns(QStringView value, qsizetype position, qsizetype count)
{
    const qsizetype start = std::max<qsizetype>(position, 1) - 1;
    if (start >= value.size() || count <= 0)
        return {};
    return value.sliced(start, std::min(count, value.size() - start)).toString();
}

QString text::toUpper8Bit(QStringView value)
{
    QString out = value.toString();
    for (QChar& ch : out) {
        const QChar upper = ch.toUpper(); // the simple, one-character mapping
        if (upper == ch)
            continue;
        const QChar one[] = {upper};
        if (files::fromAnsi(files::toAnsi(QStringView(one, 1))) == QStringView(one, 1))
            ch = upper;
    }
    return out;
}
