#pragma once
// The rows an SQL query reads from an SQLite file, each as its fields joined by '|', for checking
// what a program stored. A query that fails adds "(query failed)".

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

inline QStringList sqlRows(const QString& databasePath, const QString& sql)
{
    using namespace Qt::StringLiterals;
    QStringList result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
        db.setDatabaseName(databasePath);
        if (db.open()) {
            QSqlQuery query(db);
            if (!query.exec(sql))
                result << u"(query failed)"_s;
            while (query.next()) {
                QStringList fields;
                for (int i = 0; i < query.record().count(); ++i)
                    fields << query.value(i).toString();
                result << fields.join(u'|');
            }
        }
    }
    QSqlDatabase::removeDatabase(u"check"_s);
    return result;
}
