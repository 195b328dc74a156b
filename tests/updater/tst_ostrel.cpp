// The update utility's rules: the name from the command line, the file paths, the replacement of
// the executable on a temporary folder, and the pause.
#include "../support/filebytes.h"
#include "updater/replace.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every file below the folder, relative to it, so leftover temporary files show up.
QStringList allFiles(const QString& folder)
{
    QStringList found;
    QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << root.relativeFilePath(it.next());
    found.sort();
    return found;
}

} // namespace

class TestOstrel : public QObject
{
    Q_OBJECT

private slots:
    void programName_data();
    void programName();
    void jobPaths_data();
    void jobPaths();
    void replace_data();
    void replace();
    void replaceKeepsExecutableBits();
    void replaceOverFolderLeavesItAlone();
    void filesOfThisPlatform_data();
    void filesOfThisPlatform();
    void waitMilliseconds_data();
    void waitMilliseconds();
    void pauseLastsAtLeastTheTimeAsked();
};

void TestOstrel::programName_data()
{
    QTest::addColumn<QStringList>("arguments"); // the utility's own name first
    QTest::addColumn<QString>("expected");
    QTest::newRow("lower case between blanks")
        << QStringList{u"ostrel"_s, u" vornik "_s} << u"VORNIK"_s;
    QTest::newRow("no argument") << QStringList{u"ostrel"_s} << QString();
    QTest::newRow("no arguments at all") << QStringList{} << QString();
    QTest::newRow("blanks only") << QStringList{u"ostrel"_s, u"   "_s} << QString();
    QTest::newRow("empty and blank arguments")
        << QStringList{u"ostrel"_s, QString(), u" "_s} << QString();
    QTest::newRow("arguments joined by one blank")
        << QStringList{u"ostrel"_s, u"my"_s, u"prog"_s} << u"MY PROG"_s;
    QTest::newRow("tab is not a blank") << QStringList{u"ostrel"_s, u"\tvornik"_s} << u"\tVORNIK"_s;
    QTest::newRow("folder part upper-cased, kept")
        << QStringList{u"ostrel"_s, u"bin/vornik.exe"_s} << u"BIN/VORNIK.EXE"_s;
}

void TestOstrel::programName()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QCOMPARE(ostrel::programName(arguments), expected);
    if (!expected.isEmpty())
        QCOMPARE(ostrel::updatingCaption(expected), u"Updating Program >"_s + expected);
}

void TestOstrel::jobPaths_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::newRow("plain name") << u"VORNIK"_s << u"/opt/v/VORNIK.NEW"_s << u"/opt/v/VORNIK.EXE"_s;
    QTest::newRow("extension not replaced")
        << u"VORNIK.EXE"_s << u"/opt/v/VORNIK.EXE.NEW"_s << u"/opt/v/VORNIK.EXE.EXE"_s;
    QTest::newRow("folder part kept")
        << u"BIN/VORNIK"_s << u"/opt/v/BIN/VORNIK.NEW"_s << u"/opt/v/BIN/VORNIK.EXE"_s;
}

void TestOstrel::jobPaths()
{
    QFETCH(QString, name);
    QFETCH(QString, source);
    QFETCH(QString, target);
    const ostrel::UpdateJob job{u"/opt/v"_s, name};
    QCOMPARE(job.sourcePath(), source);
    QCOMPARE(job.targetPath(), target);
}

void TestOstrel::replace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("source");    // null: NAME.NEW missing
    QTest::addColumn<QByteArray>("target");    // null: NAME.EXE missing
    QTest::addColumn<QByteArray>("oldBefore"); // NAME.OLD; null: missing; "/": a folder
    QTest::addColumn<QString>("failureNames"); // the file the failure names; empty: none

    QByteArray big(300 * 1024 + 7, '\0'); // several copy chunks, every byte value
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 31 % 256);

    const QByteArray newBytes("MZ\x00\x01new program\r\n\xff", 18);
    const QByteArray oldBytes("MZ old program, longer than the new one");
    const QByteArray none;
    const QByteArray earlier("MZ the program before the last update");
    const QString ok;
    QTest::newRow("replaces the target byte for byte")
        << u"VORNIK"_s << newBytes << oldBytes << none << ok;
    QTest::newRow("creates a missing target") << u"VORNIK"_s << newBytes << none << none << ok;
    QTest::newRow("empty source refused, target kept")
        << u"VORNIK"_s << QByteArray("") << oldBytes << none << u"VORNIK.NEW"_s;
    QTest::newRow("large source copied whole") << u"VORNIK"_s << big << oldBytes << none << ok;
    QTest::newRow("extension kept whole") << u"VORNIK.EXE"_s << newBytes << oldBytes << none << ok;
    QTest::newRow("folder part kept whole")
        << u"BIN/VORNIK"_s << newBytes << oldBytes << none << ok;
    QTest::newRow("missing source leaves the target")
        << u"VORNIK"_s << none << oldBytes << earlier << u"VORNIK.NEW"_s;
    QTest::newRow("missing source creates nothing")
        << u"VORNIK"_s << none << none << none << u"VORNIK.NEW"_s;
    QTest::newRow("an earlier NAME.OLD replaced by the program")
        << u"VORNIK"_s << newBytes << oldBytes << earlier << ok;
    QTest::newRow("no program to keep: NAME.OLD left alone")
        << u"VORNIK"_s << newBytes << none << earlier << ok;
    QTest::newRow("program that cannot be kept is not replaced")
        << u"VORNIK"_s << newBytes << oldBytes << QByteArray("/") << u"VORNIK.OLD"_s;
}

void TestOstrel::replace()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, oldBefore);
    QFETCH(QString, failureNames);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const ostrel::UpdateJob job{folder.path(), name};
    const QString oldPath = folder.filePath(name + u".OLD"_s);
    putFile(job.sourcePath(), source);
    putFile(job.targetPath(), target);
    if (oldBefore == "/")
        QVERIFY(QDir().mkpath(oldPath));
    else
        putFile(oldPath, oldBefore);
    const QStringList filesBefore = allFiles(folder.path());

    const auto failure = ostrel::replaceExecutable(job);

    QCOMPARE(failure.has_value(), !failureNames.isEmpty());
    if (failure) {
        QVERIFY2(failure->contains(QDir::toNativeSeparators(folder.filePath(failureNames))),
                 qPrintable(*failure));
        QCOMPARE(fileBytes(job.targetPath()), target);
        QCOMPARE(allFiles(folder.path()), filesBefore);
        if (oldBefore != "/")
            QCOMPARE(fileBytes(oldPath), oldBefore);
        return;
    }
    QCOMPARE(fileBytes(job.targetPath()), source);
    QCOMPARE(fileBytes(job.sourcePath()), source); // the delivered copy stays
    // The program replaced is kept, one generation; with none there, NAME.OLD stays as it was.
    const QByteArray oldAfter = target.isNull() ? oldBefore : target;
    QCOMPARE(fileBytes(oldPath), oldAfter);
    QStringList expectedFiles{name + u".EXE"_s, name + u".NEW"_s};
    if (!oldAfter.isNull())
        expectedFiles << name + u".OLD"_s;
    expectedFiles.sort();
    QCOMPARE(allFiles(folder.path()), expectedFiles); // no temporary file left behind
}

void TestOstrel::replaceKeepsExecutableBits()
{
#ifdef Q_OS_WIN
    QSKIP("Windows has no executable bits");
#endif
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const ostrel::UpdateJob job{folder.path(), u"VORNIK"_s};
    putFile(job.sourcePath(), "new");
    putFile(job.targetPath(), "old");
    const auto executable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser
        | QFile::WriteUser | QFile::ExeUser | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(job.sourcePath(), executable));
    QVERIFY(QFile::setPermissions(job.targetPath(), QFile::ReadOwner | QFile::WriteOwner));

    QCOMPARE(ostrel::replaceExecutable(job), std::nullopt);
    QCOMPARE(QFile::permissions(job.targetPath()), executable);
    QCOMPARE(fileBytes(job.targetPath()), QByteArray("new"));
}

void TestOstrel::replaceOverFolderLeavesItAlone()
{
    // A target that cannot be replaced: the copy fails and nothing is left half-done.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const ostrel::UpdateJob job{folder.path(), u"VORNIK"_s};
    putFile(job.sourcePath(), "new");
    putFile(job.targetPath() + u"/inside"_s, "kept");
    const QStringList filesBefore = allFiles(folder.path());

    const auto failure = ostrel::replaceExecutable(job);

    QVERIFY(failure.has_value());
    QVERIFY2(failure->contains(QDir::toNativeSeparators(job.targetPath())), qPrintable(*failure));
    QVERIFY(QFileInfo(job.targetPath()).isDir());
    QCOMPARE(allFiles(folder.path()), filesBefore);
}

void TestOstrel::filesOfThisPlatform_data()
{
    // Files present in the folder; "*" marks an executable one, "/" a folder. Each file holds
    // its own name.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::newRow("lower-case NAME.NEW and NAME.EXE")
        << u"VORNIK"_s << QStringList{u"vornik.new"_s, u"vornik.exe"_s} << u"vornik.new"_s
        << u"vornik.exe"_s;
    QTest::newRow("the program itself, without extension")
        << u"VORNIK"_s << QStringList{u"vornik.new"_s, u"vornik*"_s} << u"vornik.new"_s
        << u"vornik"_s;
    QTest::newRow("the program itself in another case")
        << u"VORNIK"_s << QStringList{u"Vornik.New"_s, u"VORNIK*"_s} << u"Vornik.New"_s
        << u"VORNIK"_s;
    QTest::newRow("NAME.EXE wins over the program itself")
        << u"VORNIK"_s << QStringList{u"VORNIK.NEW"_s, u"vornik*"_s, u"Vornik.exe"_s}
        << u"VORNIK.NEW"_s << u"Vornik.exe"_s;
    QTest::newRow("an exact name wins over another case")
        << u"VORNIK"_s << QStringList{u"vornik.new"_s, u"VORNIK.NEW"_s, u"VORNIK.EXE"_s}
        << u"VORNIK.NEW"_s << u"VORNIK.EXE"_s;
    QTest::newRow("the program that lost its execute bit is still the program")
        << u"VORNIK"_s << QStringList{u"vornik.new"_s, u"vornik"_s} << u"vornik.new"_s
        << u"vornik"_s;
    QTest::newRow("a folder NAME is left alone")
        << u"VORNIK"_s << QStringList{u"vornik.new"_s, u"vornik/"_s} << u"vornik.new"_s
        << u"VORNIK.EXE"_s;
    QTest::newRow("folder part matched too")
        << u"BIN/VORNIK"_s << QStringList{u"bin/vornik.new"_s, u"bin/vornik*"_s}
        << u"bin/vornik.new"_s << u"bin/vornik"_s;
}

void TestOstrel::filesOfThisPlatform()
{
    QFETCH(QString, name);
    QFETCH(QStringList, present);
    QFETCH(QString, source);
    QFETCH(QString, target);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString root = folder.path() + u'/';
    const auto program = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser
        | QFile::WriteUser | QFile::ExeUser | QFile::ReadGroup | QFile::ExeGroup;
    QStringList files; // every file as it must be afterwards, relative to the folder
    for (QString entry : present) {
        if (entry.endsWith(u'/')) {
            QVERIFY(QDir().mkpath(root + entry + u"inside"_s));
            continue;
        }
        const bool executable = entry.endsWith(u'*');
        if (executable)
            entry.chop(1);
        putFile(root + entry, entry.toUtf8());
        QVERIFY(QFile::setPermissions(root + entry,
                                      executable ? program : QFile::ReadOwner | QFile::WriteOwner));
        files << entry;
    }
    const auto targetPermissions = QFile::permissions(root + target);

    const ostrel::UpdateJob job{folder.path(), name};
    const ostrel::UpdateFiles found = ostrel::findFiles(job);
    QCOMPARE(found.source, root + source);
    QCOMPARE(found.target, root + target);
    QCOMPARE(ostrel::replaceExecutable(job), std::nullopt);

    // The program replaced is kept beside it as NAME.OLD.
    const QString old = target.section(u'/', 0, -2, QString::SectionIncludeTrailingSep)
        + name.section(u'/', -1) + u".OLD"_s;
    if (files.contains(target))
        files << old;
    else
        files << target;
    for (const QString& file : std::as_const(files))
        QCOMPARE(fileBytes(root + file),
                 (file == target    ? source
                      : file == old ? target
                                    : file)
                     .toUtf8());
    // A program keeps its permissions; one that lost its execute bit gets it back.
    if (found.targetIsProgram)
        QCOMPARE(QFile::permissions(root + target),
                 targetPermissions | QFile::ExeOwner | QFile::ExeUser);
    QStringList expectedFiles = files;
    expectedFiles.sort();
    QStringList onDisk = allFiles(folder.path());
    onDisk.removeIf([](const QString& file) { return file.endsWith(u"/inside"_s); });
    QCOMPARE(onDisk, expectedFiles); // no temporary file left behind
}

void TestOstrel::waitMilliseconds_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("unset: two seconds") << QString() << 2000;
    QTest::newRow("zero skips the wait") << u"0"_s << 0;
    QTest::newRow("a shorter wait") << u"150"_s << 150;
    QTest::newRow("negative ignored") << u"-1"_s << 2000;
    QTest::newRow("not a number ignored") << u"soon"_s << 2000;
}

void TestOstrel::waitMilliseconds()
{
    QFETCH(QString, value);
    QFETCH(int, expected);
    QCOMPARE(ostrel::waitMilliseconds(value), expected);
}

void TestOstrel::pauseLastsAtLeastTheTimeAsked()
{
    QElapsedTimer clock;
    clock.start();
    ostrel::pauseMilliseconds(120);
    QVERIFY2(clock.elapsed() >= 120, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(clock.elapsed() < 5000);
}

QTEST_GUILESS_MAIN(TestOstrel)
#include "tst_ostrel.moc"
