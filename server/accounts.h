#pragma once
// The customers the server knows: pairs of account number and login name, from a CSV file.

#include <QSet>
#include <QString>
#include <QStringList>

namespace demo {

class Accounts
{
public:
    // The first row of the file is this heading; the name is for people reading the file.
    static constexpr QStringView Heading = u"account,login,name";

    // Rows with a problem are skipped and described in the result, one text per problem.
    QStringList load(const QString& path);
    QStringList parse(QStringView csv);

    // Whether the login name is known under the account. The client sends the account as
    // typed, so leading zeros do not count ("0042" is account 42); login names are compared
    // in upper case, as the client saves them.
    [[nodiscard]] bool contains(QStringView account, QStringView login) const;
    [[nodiscard]] qsizetype size() const { return m_pairs.size(); }

private:
    [[nodiscard]] static QString key(QStringView account, QStringView login);
    QSet<QString> m_pairs;
};

} // namespace demo
