// The real update utility run as a process from a copy in a temporary folder, as the batch file
// that starts it would.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    return bytes.isNull() ? QByteArray("") : bytes;
}

void putFile(const QString& path, const QByteArray& bytes)
{
    if (bytes.isNull())
        return;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

struct Run
{
    int exitCode = -1;
    QString errorOutput;
    qint64 milliseconds = 0;
};

// Runs the utility copied into folder. waitMs empty: the production wait.
Run runOstrel(const QString& folder, const QStringList& arguments, const QString& waitMs)
{
    Run run;
    const QString program = folder + u"/ostrel"_s;
    if (!QFile::exists(program) && !QFile::copy(QString::fromUtf8(OSTREL_BINARY), program))
        return run;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"OSTREL_NO_DIALOGS"_s, u"1"_s);
    environment.remove(u"OSTREL_WAIT_MS"_s);
    if (!waitMs.isEmpty())
        environment.insert(u"OSTREL_WAIT_MS"_s, waitMs);

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QDir::tempPath()); // the folder comes from the binary, not here
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.milliseconds = clock.elapsed();
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.errorOutput = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

class TestOstrelRun : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void waitsTwoSecondsBeforeCopying();
    void updatesTheProgramWithoutExtension();
};

void TestOstrelRun::run_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("newFile"); // VORNIK.NEW; null: missing
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("exeAfter"); // VORNIK.EXE, which starts as "old"

    const QByteArray delivered("new\x00program\r\n", 13);
    QTest::newRow("lower-case name between blanks")
        << QStringList{u" vornik "_s} << delivered << 0 << delivered;
    QTest::newRow("empty command line touches nothing")
        << QStringList{} << delivered << 0 << QByteArray("old");
    QTest::newRow("blank command line touches nothing")
        << QStringList{u"   "_s} << delivered << 0 << QByteArray("old");
    QTest::newRow("missing NAME.NEW fails, target kept")
        << QStringList{u"vornik"_s} << QByteArray() << 1 << QByteArray("old");
}

void TestOstrelRun::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, newFile);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, exeAfter);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    putFile(folder.filePath(u"VORNIK.NEW"_s), newFile);
    putFile(folder.filePath(u"VORNIK.EXE"_s), "old");

    const Run result = runOstrel(folder.path(), arguments, u"0"_s);

    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(fileBytes(folder.filePath(u"VORNIK.EXE"_s)), exeAfter);
    QCOMPARE(fileBytes(folder.filePath(u"VORNIK.NEW"_s)), newFile);
    // The failure names the file; stderr may also carry the platform's own start-up notes.
    QCOMPARE(result.errorOutput.contains(u"VORNIK.NEW"_s), exitCode != 0);
}

void TestOstrelRun::waitsTwoSecondsBeforeCopying()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    putFile(folder.filePath(u"VORNIK.NEW"_s), "new");

    const Run blank = runOstrel(folder.path(), {u" "_s}, QString());
    QCOMPARE(blank.exitCode, 0);
    QVERIFY2(blank.milliseconds < 2000, "nothing to do: no wait");
    QVERIFY(!QFile::exists(folder.filePath(u"VORNIK.EXE"_s)));

    const Run update = runOstrel(folder.path(), {u"Vornik"_s}, QString());
    QCOMPARE(update.exitCode, 0);
    QVERIFY2(update.milliseconds >= 2000, qPrintable(QString::number(update.milliseconds)));
    QCOMPARE(fileBytes(folder.filePath(u"VORNIK.EXE"_s)), QByteArray("new"));
}

void TestOstrelRun::updatesTheProgramWithoutExtension()
{
    // The client beside the utility is "vornik", delivered as "vornik.new": "ostrel vornik"
    // replaces the program itself, which stays executable.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString program = folder.filePath(u"vornik"_s);
    putFile(program, "old");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser | QFile::ReadGroup | QFile::ExeGroup;
    QVERIFY(QFile::setPermissions(program, permissions));
    putFile(folder.filePath(u"vornik.new"_s), "new");

    const Run result = runOstrel(folder.path(), {u"vornik"_s}, u"0"_s);

    QCOMPARE(result.exitCode, 0);
    QCOMPARE(fileBytes(program), QByteArray("new"));
    QCOMPARE(QFile::permissions(program), permissions);
    QVERIFY(!QFile::exists(folder.filePath(u"VORNIK.EXE"_s)));
}

QTEST_GUILESS_MAIN(TestOstrelRun)
#include "tst_ostrel_run.moc"
