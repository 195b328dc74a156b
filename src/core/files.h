#pragma once
// The client's files are 8-bit Windows-1252 text with CR LF line ends, kept in the program
// folder. Each helper opens, uses and closes its file inside one call.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace files {

inline constexpr char crlf[] = "\r\n";

// Windows-1252 decoding and encoding. Every byte decodes to one character (the five bytes that
// code page leaves unassigned map to the C1 controls of the same value), so decoding and
// encoding round-trip; a character the code page cannot hold is written as '?'.
[[nodiscard]] QString fromAnsi(QByteArrayView bytes);
[[nodiscard]] QByteArray toAnsi(QStringView text);

// Creates the file empty when it does not exist; existing content is never touched. False when
// the file neither exists nor could be created.
bool createIfMissing(const QString& path);

// The whole file, or nothing when it cannot be opened (missing, a folder, no permission).
// At most maxBytes are read, so a huge file cannot exhaust memory.
[[nodiscard]] std::optional<QByteArray> readAll(const QString& path,
                                                qint64 maxBytes = 16 * 1024 * 1024);

// Replaces the file atomically: the bytes go to a temporary file in the same folder, which is
// then renamed over the target, so a crash or a full disk never leaves a half-written file.
// Returns an empty string on success, otherwise the reason the file could not be written; the
// old file is then unchanged.
[[nodiscard]] QString saveWhole(const QString& path, QByteArrayView bytes);

// Appends bytes, creating the file when missing. False when it could not be written.
bool append(const QString& path, QByteArrayView bytes);

// Splits text into lines at CR LF, a lone CR or a lone LF; a final line end does not start
// another line.
[[nodiscard]] QStringList splitLines(QStringView text);

} // namespace files
