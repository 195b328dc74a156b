#include "core/files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

// Bytes 0x80 to 0x9F of Windows-1252. The five bytes the code page leaves unassigned (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 control of the same value so every byte survives a round trip.
// Every other byte is the character of the same value (ASCII and Latin-1).
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

char encodeOne(char16_t u)
{
    if (u < 0x80 || u >= 0xA0) {
        if (u <= 0xFF)
            return static_cast<char>(u);
    }
    const auto found = std::find(HighControls.begin(), HighControls.end(), u);
    if (found == HighControls.end())
        return '?';
    return static_cast<char>(0x80 + (found - HighControls.begin()));
}

} // namespace

QString files::fromAnsi(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        *dst++ = QChar(byte >= 0x80 && byte < 0xA0 ? HighControls[byte - 0x80] : char16_t(byte));
    }
    return out;
}

QByteArray files::toAnsi(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.append('?'); // one character outside the code page, not two
            ++i;
            continue;
        }
        out.append(encodeOne(ch.unicode()));
    }
    return out;
}

bool files::createIfMissing(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.isFile();
    // Append never truncates, so a file created meanwhile by someone else keeps its content.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    file.close();
    return true;
}

std::optional<QByteArray> files::readAll(const QString& path, qint64 maxBytes)
{
    if (QFileInfo(path).isDir())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 limit = std::max<qint64>(maxBytes, 0);
    // A regular file is read up to its size, so no buffer of maxBytes is set aside needlessly.
    const qint64 wanted = file.isSequential() ? limit : std::min(limit, file.size());
    QByteArray data = file.read(wanted);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return data;
}

QString files::saveWhole(const QString& path, QByteArrayView bytes)
{
    const auto reason = [&path](const QFileDevice& file, const QString& fallback) {
        const QString error = file.errorString();
        return path + u": "_s + (error.isEmpty() || error == u"Unknown error"_s ? fallback : error);
    };
    if (QFileInfo(path).isDir())
        return path + u": is a folder"_s;
    QSaveFile file(path);
    // Never write into the target directly: a failure must leave the old file as it was.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return reason(file, u"cannot create a temporary file beside it"_s);
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        const QString why = reason(file, u"could not write all bytes"_s);
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return reason(file, u"could not replace the file"_s);
    return {};
}

bool files::append(const QString& path, QByteArrayView bytes)
{
    if (QFileInfo(path).isDir())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const bool written = file.write(bytes.data(), bytes.size()) == bytes.size() && file.flush();
    file.close();
    return written;
}

QStringList files::splitLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar ch = text[i];
        if (ch != u'\r' && ch != u'\n') {
            ++i;
            continue;
        }
        lines.append(text.sliced(start, i - start).toString());
        i += (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size())
        lines.append(text.sliced(start).toString());
    return lines;
}
