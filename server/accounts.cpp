#include "accounts.h"

#include "csvtable.h"

using namespace Qt::StringLiterals;

QStringList demo::Accounts::load(const QString& path)
{
    return loadCsvTable(*this, path);
}

QStringList demo::Accounts::parse(QStringView csv)
{
    QStringList problems;
    m_pairs.clear();
    forEachCsvRow(csv, Heading, problems, [&](qsizetype lineNumber, QStringView line) {
        const auto fields = line.split(u',');
        const QString pair = fields.size() == 3 ? key(fields[0], fields[1]) : QString();
        if (pair.isEmpty())
            problems << u"line %1: expected account,login,name"_s.arg(lineNumber);
        else
            m_pairs.insert(pair);
    });
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
