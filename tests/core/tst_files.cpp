#include "core/files.h"
#include "support/rulerows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void everyByteRoundTrips();
    void windows1252Characters_data();
    void windows1252Characters();
    void unmappableCharacters_data();
    void unmappableCharacters() { compareRule<QString, QByteArray>(files::toAnsi); }
    void createIfMissingKeepsContent();
    void createIfMissingRefusesFolder();
    void readAllLimits();
    void saveWholeReplaces();
    void saveWholeKeepsOldFileOnFailure();
    void appendCreatesAndExtends();
    void splitLines_data();
    void splitLines() { compareRule<QString, QStringList>(files::splitLines); }

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    static void write(const QString& path, const QByteArray& bytes);
    static QByteArray contents(const QString& path);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFiles::write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray TestFiles::contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void TestFiles::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString decoded = files::fromAnsi(all);
    QCOMPARE(decoded.size(), 256);
    QCOMPARE(files::toAnsi(decoded), all);
}

void TestFiles::windows1252Characters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("euro sign is 0x80") << QByteArray("\x80") << u"\u20ac"_s;
    QTest::newRow("unassigned 0x81 is its C1 control") << QByteArray("\x81") << u"\u0081"_s;
    QTest::newRow("unassigned 0x9D is its C1 control") << QByteArray("\x9d") << u"\u009d"_s;
    QTest::newRow("right quote is 0x92") << QByteArray("\x92") << u"\u2019"_s;
    QTest::newRow("Y diaeresis is 0x9F") << QByteArray("\x9f") << u"\u0178"_s;
    QTest::newRow("Latin-1 upper half") << QByteArray("\xe9\xff\xa0") << u"\u00e9\u00ff\u00a0"_s;
    QTest::newRow("ASCII with CR LF") << QByteArray("A,\"b\"\r\n") << u"A,\"b\"\r\n"_s;
}

void TestFiles::windows1252Characters()
{
    compareRule<QByteArray>(files::fromAnsi, "bytes", "text");
    compareRule<QString, QByteArray>(files::toAnsi, "text", "bytes");
}

void TestFiles::unmappableCharacters_data()
{
    addRuleColumns<QString, QByteArray>();
    QTest::newRow("C1 control assigned elsewhere") << u"\u0080"_s << QByteArray("?");
    QTest::newRow("Cyrillic letter") << u"a\u0416b"_s << QByteArray("a?b");
    QTest::newRow("surrogate pair is one character") << u"x\U0001F600y"_s << QByteArray("x?y");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
}

void TestFiles::createIfMissingKeepsContent()
{
    const QString missing = path(u"Login.Inf"_s);
    QVERIFY(files::createIfMissing(missing));
    QCOMPARE(contents(missing), QByteArray());

    const QString existing = path(u"Options.Inf"_s);
    write(existing, "\"ACME\",1\r\n");
    QVERIFY(files::createIfMissing(existing));
    QCOMPARE(contents(existing), QByteArray("\"ACME\",1\r\n"));

    QVERIFY(!files::createIfMissing(path(u"no-such-folder/x.inf"_s)));
}

void TestFiles::createIfMissingRefusesFolder()
{
    QVERIFY(QDir(m_dir->path()).mkdir(u"sub"_s));
    QVERIFY(!files::createIfMissing(path(u"sub"_s)));
}

void TestFiles::readAllLimits()
{
    const QString file = path(u"data.bin"_s);
    write(file, "0123456789");
    QCOMPARE(files::readAll(file).value_or("<none>"), QByteArray("0123456789"));
    QCOMPARE(files::readAll(file, 4).value_or("<none>"), QByteArray("0123"));
    QVERIFY(!files::readAll(path(u"missing.bin"_s)));
    QVERIFY(!files::readAll(m_dir->path()));

    const QString empty = path(u"empty.bin"_s);
    write(empty, {});
    const auto read = files::readAll(empty);
    QVERIFY(read.has_value());
    QVERIFY(read->isEmpty());
}

void TestFiles::saveWholeReplaces()
{
    const QString file = path(u"MyOrder.dat"_s);
    write(file, "old longer content\r\n");
    QCOMPARE(files::saveWhole(file, "new\r\n"), QString());
    QCOMPARE(contents(file), QByteArray("new\r\n"));
    QCOMPARE(files::saveWhole(file, {}), QString());
    QCOMPARE(contents(file), QByteArray());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"MyOrder.dat"_s});
}

void TestFiles::saveWholeKeepsOldFileOnFailure()
{
    QVERIFY(!files::saveWhole(m_dir->path(), "x").isEmpty());

    const QString folder = path(u"locked"_s);
    QVERIFY(QDir().mkdir(folder));
    const QString file = folder + u"/Login.Inf"_s;
    write(file, "\"old\"\r\n");
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const auto unlock = qScopeGuard([&folder] {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    {
        QFile probe(folder + u"/probe"_s);
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QSKIP("this user can write into a read-only folder");
        }
    }
    const QString reason = files::saveWhole(file, "\"new\"\r\n");
    QVERIFY(!reason.isEmpty());
    QCOMPARE(contents(file), QByteArray("\"old\"\r\n"));
}

void TestFiles::appendCreatesAndExtends()
{
    const QString file = path(u"DataSend.log"_s);
    QVERIFY(files::append(file, "a\r\n"));
    QVERIFY(files::append(file, "b\r\n"));
    QCOMPARE(contents(file), QByteArray("a\r\nb\r\n"));
    QVERIFY(!files::append(m_dir->path(), "x"));
}

void TestFiles::splitLines_data()
{
    addRuleColumns<QString, QStringList>();
    QTest::newRow("CR LF") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("lone CR and lone LF") << u"a\rb\nc"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("LF CR is two line ends")
        << u"a\n\rb"_s << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("empty lines kept")
        << u"\r\n\r\nx"_s << QStringList{QString(), QString(), u"x"_s};
    QTest::newRow("no final line end") << u"a"_s << QStringList{u"a"_s};
    QTest::newRow("empty text has no lines") << QString() << QStringList();
}

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
