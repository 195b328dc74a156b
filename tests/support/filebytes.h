#pragma once
// Files of a test folder byte for byte: written, creating their folder, or read back, a missing
// file and an empty one told apart.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

// Writes the file, creating its folder; a null array means the file must not exist.
inline void putFile(const QString& path, const QByteArray& bytes)
{
    if (bytes.isNull())
        return;
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The file's bytes, or a null array when it does not exist.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return bytes.isNull() ? QByteArray("") : bytes; // an empty file, not a missing one
}
