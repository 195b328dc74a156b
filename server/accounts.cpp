#include "accounts.h"

#include <QFile>

using namespace Qt::StringLiterals;

QStringList demo::Accounts::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {u"%1: %2"_s.arg(path, file.errorString())};
    return parse(QString::fromUtf8(file.readAll()));
}

QStringList demo::Accounts::parse(QStringView csv)
{
    QStringList problems;
    m_pairs.clear();
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
            if (line != Heading)
                problems << u"line %1: the heading must read %2"_s.arg(index + 1).arg(Heading);
            continue;
        }
        const auto fields = line.split(u',');
        const QString pair = fields.size() == 3 ? key(fields[0], fields[1]) : QString();
        if (pair.isEmpty())
            problems << u"line %1: expected account,login,name"_s.arg(index + 1);
        else
            m_pairs.insert(pair);
    }
    return problems;
}

bool demo::Accounts::contains(QStringView account, QStringView login) const
{
    const QString pair = key(account, login);
    return !pair.isEmpty() && m_pairs.contains(pair);
}

QString demo::Accounts::key(QStringView account, QStringView login)
{
    account = account.trimmed();
    login = login.trimmed();
    bool ok = false;
    const int number = account.toInt(&ok);
    // Only plain digits count; toInt() alone would take a sign.
    if (!ok || number < 1 || account.front() == u'+' || login.isEmpty())
        return {};
    return QString::number(number) + u'/' + login.toString().toUpper();
}
