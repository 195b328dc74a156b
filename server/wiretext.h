#pragma once
// Bytes on the wire are Windows-1252 text, one byte per character.

#include <QByteArray>
#include <QString>

namespace demo {

// Every byte decodes to one character; the five bytes the code page leaves unassigned become
// the C1 controls of the same value, so decoding and encoding round-trip.
[[nodiscard]] QString fromWire(QByteArrayView bytes);
// A character the code page cannot hold is sent as '?'.
[[nodiscard]] QByteArray toWire(QStringView text);

} // namespace demo
