#pragma once
// Order lines and MyOrder.dat bytes as the tests expect them; header-only, so the core tests can
// use it without the window.

#include "core/text.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// An order line from its columns: quantity 1-4, LIN 6-9, part 10-22, description 23-39, net
// 40-47, core 48-55, total 56-66.
inline QString lineOf(const QString& quantity, const QString& lin, const QString& part,
                      const QString& description, const QString& net, const QString& core,
                      const QString& total)
{
    return text::padLeft(quantity, 4) + u' ' + text::padRight(lin, 4) + text::padRight(part, 13)
        + text::padRight(description, 17) + text::padLeft(net, 8) + text::padLeft(core, 8)
        + text::padLeft(total, 11);
}

// The bytes of MyOrder.dat holding these lines: one byte a character, CR LF after each.
inline QByteArray fileOf(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}
