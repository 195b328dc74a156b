#pragma once
// Turns fuzz bytes into the text the client would see: the 8-bit code page, as files and the
// wire are read.

#include "core/files.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

inline QByteArray fuzzBytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

inline QString fuzzText(const uint8_t* data, size_t size)
{
    return files::fromAnsi(fuzzBytes(data, size));
}
