#include "core/settingsfile.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void fieldReader_data();
    void fieldReader();
    void bothLoginFormsReadAlike();
    void records();

private:
    static QStringList readAll(const QString& content);
};

// Every field the reader gives, then "<end>" when it gives nothing (a guard stops runaway loops).
QStringList TestSettingsFile::readAll(const QString& content)
{
    settingsfile::FieldReader reader(content);
    QStringList fields;
    for (int i = 0; i < 100; ++i) {
        const auto field = reader.next();
        if (!field) {
            fields << u"<end>"_s;
            break;
        }
        fields << *field;
    }
    return fields;
}

void TestSettingsFile::fieldReader_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("empty text ends at once") << QString() << QStringList{u"<end>"_s};
    QTest::newRow("first-run marker: one empty field")
        << settingsfile::firstRunMarker() << QStringList{QString(), u"<end>"_s};
    QTest::newRow("trailing comma ends the text") << u"a,"_s << QStringList{u"a"_s, u"<end>"_s};
    QTest::newRow("junk after a closing quote dropped")
        << u"  \"a b\" junk ,x"_s << QStringList{u"a b"_s, u"x"_s, u"<end>"_s};
    QTest::newRow("unclosed quote runs to the end")
        << u"\"abc,def\r\n"_s << QStringList{u"abc,def\r\n"_s, u"<end>"_s};
    QTest::newRow("bare field keeps inner blanks, loses trailing")
        << u" a  b  ,c"_s << QStringList{u"a  b"_s, u"c"_s, u"<end>"_s};
    QTest::newRow("bare field keeps a trailing tab")
        << u"a\t,b"_s << QStringList{u"a\t"_s, u"b"_s, u"<end>"_s};
    QTest::newRow("quoted field keeps its blanks")
        << u"\" a \",1"_s << QStringList{u" a "_s, u"1"_s, u"<end>"_s};
    QTest::newRow("lone CR ends a field") << u"1\r2"_s << QStringList{u"1"_s, u"2"_s, u"<end>"_s};
    QTest::newRow("lone LF ends a field")
        << u"\"1\"\n2"_s << QStringList{u"1"_s, u"2"_s, u"<end>"_s};
    QTest::newRow("empty fields between commas")
        << u",,x"_s << QStringList{QString(), QString(), u"x"_s, u"<end>"_s};
    QTest::newRow("blanks after the last comma are no field")
        << u"a,  "_s << QStringList{u"a"_s, u"<end>"_s};
    QTest::newRow("line end after a comma is an empty field")
        << u"\"a\",\r\n"_s << QStringList{u"a"_s, QString(), u"<end>"_s};
    QTest::newRow("options record")
        << settingsfile::optionsRecord(u"ACME", 1, 1, u"PO77", 0)
        << QStringList{u"ACME"_s, u"1"_s,    u"1"_s,    u"PO77"_s, u"0"_s,
                       QString(), QString(), QString(), QString(), QString(),
                       QString(), QString(), QString(), u"<end>"_s};
}

void TestSettingsFile::fieldReader()
{
    QFETCH(QString, content);
    QFETCH(QStringList, fields);
    QCOMPARE(readAll(content), fields);
}

void TestSettingsFile::bothLoginFormsReadAlike()
{
    const QString written =
        u"\"host\",\"JSMITH\",\"1234\",\"\",\"3300\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s;
    const QString rewritten =
        u"new.host,\"JSMITH\",\"1234\",\"\",3400,\"\",\"\",\"\",\"\",\"\",\"\","_s;
    const QStringList expectedWritten{u"host"_s, u"JSMITH"_s, u"1234"_s, QString(), u"3300"_s};
    const QStringList expectedRewritten{u"new.host"_s, u"JSMITH"_s, u"1234"_s, QString(),
                                        u"3400"_s};
    QCOMPARE(readAll(written).mid(0, 5), expectedWritten);
    QCOMPARE(readAll(rewritten).mid(0, 5), expectedRewritten);
    // Both forms hold eleven fields and nothing after them.
    QCOMPARE(readAll(written).size(), 12);
    QCOMPARE(readAll(rewritten).size(), 12);
}

void TestSettingsFile::records()
{
    QCOMPARE(settingsfile::loginRecord(u"10.0.0.5", u"JSMITH", u"1234", u"3300"),
             u"\"10.0.0.5\",\"JSMITH\",\"1234\",\"\",\"3300\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s);
    QCOMPARE(settingsfile::optionsRecord(u"ACME", 1, 1, u"PO77", 0),
             u"\"ACME\",1,1,\"PO77\",0,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s);
    QCOMPARE(settingsfile::optionsRecord(u" A B ", 0, 0, u"", 1),
             u"\" A B \",0,0,\"\",1,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s);
    QCOMPARE(settingsfile::firstRunMarker(), u"       \r\n"_s);
    QCOMPARE(settingsfile::firstRunMarker().size(), 9);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
