#include "updater/replace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#include <algorithm>

using namespace Qt::StringLiterals;

QString ostrel::programName(const QStringList& arguments)
{
    // Only blanks are trimmed: a tab or a line break stays part of the name.
    const QString joined = arguments.mid(1).join(u' ');
    QStringView name(joined);
    while (name.startsWith(u' '))
        name = name.mid(1);
    while (name.endsWith(u' '))
        name.chop(1);
    return name.toString().toUpper();
}

QString ostrel::updatingCaption(QStringView name)
{
    return u"Updating Program >"_s + name.toString();
}

QString ostrel::UpdateJob::sourcePath() const
{
    return folder + u'/' + name + u".NEW"_s;
}

QString ostrel::UpdateJob::targetPath() const
{
    return folder + u'/' + name + u".EXE"_s;
}

namespace {

// The entry of folder named name, compared without regard to case; an exact match wins, then the
// first in name order. Empty when there is none.
QString entryIgnoringCase(const QString& folder, const QString& name)
{
    if (name == u"."_s || name == u".."_s)
        return name;
    const QDir dir(folder);
    if (dir.exists(name))
        return name;
    const QStringList entries = dir.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    return {};
}

// The path below folder that relative names when every part of it is matched without regard to
// case; empty when a part is missing. A folder part of the name is followed the same way.
QString findIgnoringCase(const QString& folder, const QString& relative)
{
    QString path = folder;
    for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
        const QString entry = entryIgnoringCase(path, part);
        if (entry.isEmpty())
            return {};
        path += u'/' + entry;
    }
    return path;
}

QString existingFile(const QString& folder, const QString& relative)
{
    const QString path = findIgnoringCase(folder, relative);
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

} // namespace

ostrel::UpdateFiles ostrel::findFiles(const UpdateJob& job)
{
    UpdateFiles found;
    found.source = existingFile(job.folder, job.name + u".NEW"_s);
    found.target = existingFile(job.folder, job.name + u".EXE"_s);
    if (found.target.isEmpty()) {
        // This platform's programs carry no extension: the program itself is NAME, also when it
        // has lost its execute bits.
        found.target = existingFile(job.folder, job.name);
        found.targetIsProgram = !found.target.isEmpty();
        if (!found.targetIsProgram)
            found.target = job.targetPath();
    }
    found.old = existingFile(job.folder, job.name + u".OLD"_s);
    if (found.old.isEmpty())
        found.old =
            QFileInfo(found.target).path() + u'/' + QFileInfo(job.name).fileName() + u".OLD"_s;
    return found;
}

namespace {

constexpr auto ExecuteBits = QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;

// A program file without any execute bit gets one for each class that may read it.
QFileDevice::Permissions runnable(QFileDevice::Permissions permissions)
{
    if (permissions & ExecuteBits)
        return permissions;
    if (permissions & QFileDevice::ReadOwner)
        permissions |= QFileDevice::ExeOwner;
    if (permissions & QFileDevice::ReadGroup)
        permissions |= QFileDevice::ExeGroup;
    if (permissions & QFileDevice::ReadOther)
        permissions |= QFileDevice::ExeOther;
    return permissions;
}

// Copies the whole of source into target, which is open; the number of bytes copied, or nothing
// when reading or writing failed.
std::optional<qint64> copyInto(QFile& source, QSaveFile& target, bool* readFailed)
{
    constexpr qint64 chunkSize = 64 * 1024;
    qint64 copied = 0;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(chunkSize);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError) {
            *readFailed = true;
            return std::nullopt;
        }
        if (target.write(chunk) != chunk.size())
            return std::nullopt;
        copied += chunk.size();
    }
    return copied;
}

// Keeps the program being replaced as NAME.OLD, replacing that file whole and atomically.
bool keepOldProgram(const QString& program, const QString& old)
{
    QFile current(program);
    if (!current.open(QIODevice::ReadOnly))
        return false;
    QSaveFile copy(old);
    if (!copy.open(QIODevice::WriteOnly))
        return false;
    copy.setPermissions(current.permissions()); // the old program can be moved back and run
    bool readFailed = false;
    if (!copyInto(current, copy, &readFailed)) {
        copy.cancelWriting();
        return false;
    }
    return copy.commit();
}

} // namespace

std::optional<QString> ostrel::replaceExecutable(const UpdateJob& job)
{
    const UpdateFiles found = findFiles(job);
    const QString sourcePath =
        QDir::toNativeSeparators(found.source.isEmpty() ? job.sourcePath() : found.source);
    const QString targetPath = QDir::toNativeSeparators(found.target);

    const auto cannotRead = [&] {
        return u"The new program file could not be read:\n"_s + sourcePath;
    };
    const auto cannotReplace = [&] {
        return u"The program file could not be replaced:\n"_s + targetPath;
    };

    QFile source(found.source);
    if (found.source.isEmpty() || !source.open(QIODevice::ReadOnly))
        return cannotRead();

    // QSaveFile writes a temporary file beside the target and renames it over the target only in
    // commit(); any failure before that leaves the target exactly as it was.
    QSaveFile target(found.target);
    // Read before the temporary file exists: the program keeps the permissions it has.
    const QFileDevice::Permissions permissions =
        found.targetIsProgram ? runnable(QFile::permissions(found.target)) : source.permissions();
    if (!target.open(QIODevice::WriteOnly))
        return cannotReplace();
    // Applies to the temporary file, so the renamed target carries them. A program that could
    // not be made runnable again would leave the user without one.
    if (!target.setPermissions(permissions) && found.targetIsProgram) {
        target.cancelWriting();
        return u"The program file could not be made executable:\n"_s + targetPath;
    }

    bool readFailed = false;
    const std::optional<qint64> copied = copyInto(source, target, &readFailed);
    if (!copied) {
        target.cancelWriting();
        return readFailed ? cannotRead() : cannotReplace();
    }
    if (*copied == 0) {
        // A download cut to nothing would leave no program at all.
        target.cancelWriting();
        return u"The new program file is empty, so the program was not replaced:\n"_s + sourcePath;
    }
    if (QFileInfo::exists(found.target) && !keepOldProgram(found.target, found.old)) {
        target.cancelWriting();
        return u"The program file could not be kept as "_s + QFileInfo(found.old).fileName()
            + u", so it was not replaced:\n"_s + QDir::toNativeSeparators(found.old);
    }
    if (!target.commit())
        return cannotReplace();
    return std::nullopt;
}

void ostrel::pauseMilliseconds(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    // Sleeps in slices rather than spinning; msleep may return a little early or late, so the
    // monotonic clock decides when the pause is over.
    for (qint64 left = milliseconds; left > 0; left = milliseconds - clock.elapsed())
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 100)));
}

int ostrel::waitMilliseconds(const QString& setting)
{
    bool ok = false;
    const int value = setting.toInt(&ok);
    return ok && value >= 0 ? value : DefaultWaitMilliseconds;
}
