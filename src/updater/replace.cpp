#include "updater/replace.h"

#include "core/text.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QThread>

#include <algorithm>

using namespace Qt::StringLiterals;

QString ostrel::programName(const QStringList& arguments)
{
    return text::trimBlanks(arguments.mid(1).join(u' ')).toUpper();
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

std::optional<QString> ostrel::replaceExecutable(const UpdateJob& job)
{
    const QString sourcePath = QDir::toNativeSeparators(job.sourcePath());
    const QString targetPath = QDir::toNativeSeparators(job.targetPath());

    QFile source(job.sourcePath());
    if (!source.open(QIODevice::ReadOnly))
        return u"The new program file could not be read:\n"_s + sourcePath;

    // QSaveFile writes a temporary file beside the target and renames it over the target only in
    // commit(); any failure before that leaves the target exactly as it was.
    QSaveFile target(job.targetPath());
    const auto cannotReplace = [&] {
        return u"The program file could not be replaced:\n"_s + targetPath;
    };
    if (!target.open(QIODevice::WriteOnly))
        return cannotReplace();
    // Applies to the temporary file, so the renamed target is executable when the source was.
    target.setPermissions(source.permissions());

    constexpr qint64 chunkSize = 64 * 1024;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(chunkSize);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError) {
            target.cancelWriting();
            return u"The new program file could not be read:\n"_s + sourcePath;
        }
        if (target.write(chunk) != chunk.size()) {
            target.cancelWriting();
            return cannotReplace();
        }
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

int ostrel::waitMilliseconds(const QString& environmentValue)
{
    bool ok = false;
    const int value = environmentValue.toInt(&ok);
    return ok && value >= 0 ? value : DefaultWaitMilliseconds;
}
