#include "csvtable.h"

#include <QFile>

using namespace Qt::StringLiterals;

std::optional<QString> demo::readCsvFile(const QString& path, QStringList& problems)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problems << u"%1: %2"_s.arg(path, file.errorString());
        return std::nullopt;
    }
    return QString::fromUtf8(file.readAll());
}

bool demo::forEachCsvRow(QStringView csv, QStringView heading, QStringList& problems,
                         const std::function<void(qsizetype lineNumber, QStringView line)>& row)
{
    bool headingSeen = false;
    const auto lines = csv.split(u'\n');
    for (qsizetype index = 0; index < lines.size(); ++index) {
        QStringView line = lines[index];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        if (!headingSeen) {
            headingSeen = true;
            if (line != heading)
                problems << u"line %1: the heading must read %2"_s.arg(index + 1).arg(heading);
            continue;
        }
        row(index + 1, line);
    }
    return headingSeen;
}
