// The real update utility run as a process from a copy in a temporary folder, as the batch file
// that starts it would.
#include "../support/filebytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QString errorOutput;
    qint64 milliseconds = 0;
};

// The test build reads OSTREL_WAIT_MS; the delivered program must not.
const QString TestBuild = QString::fromUtf8(OSTREL_TEST_BINARY);
const QString Delivered = QString::fromUtf8(OSTREL_BINARY);

// The environment of a run: the offscreen platform, or no display at all; no wait by default.
QProcessEnvironment environment(bool display, const QString& waitMs = u"0"_s)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s,
                                u"OSTREL_WAIT_MS"_s, u"OSTREL_NO_DIALOGS"_s})
        env.remove(name);
    if (display)
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    if (!waitMs.isEmpty())
        env.insert(u"OSTREL_WAIT_MS"_s, waitMs);
    return env;
}

// Runs the binary copied into folder as "ostrel", as the batch file that starts it would.
Run runOstrel(const QString& binary, const QString& folder, const QStringList& arguments,
              const QProcessEnvironment& env)
{
    Run run;
    const QString program = folder + u"/ostrel"_s;
    QFile::remove(program);
    if (!QFile::copy(binary, program))
        return run;

    QProcess process;
    process.setProcessEnvironment(env);
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

int modeOf(const QString& path)
{
    struct stat status
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                     : -1;
}

} // namespace

class TestOstrelRun : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
    void deliveredProgramIgnoresTestSwitches();
};

void TestOstrelRun::run_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");       // false: no display at all
    QTest::addColumn<QString>("program");    // the program file present, holding "old"
    QTest::addColumn<int>("mode");           // its permissions
    QTest::addColumn<QByteArray>("newFile"); // VORNIK.NEW (mode 0644); null: missing
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("programAfter");
    QTest::addColumn<int>("modeAfter");
    QTest::addColumn<QByteArray>("oldAfter"); // VORNIK.OLD; null: none

    const QByteArray delivered("new\x00program\r\n", 13);
    const QByteArray old("old");
    const QByteArray none;
    const QString exe = u"VORNIK.EXE"_s;
    const QString bare = u"vornik"_s;
    QTest::newRow("lower-case name between blanks")
        << QStringList{u" vornik "_s} << true << exe << 0644 << delivered << 0 << delivered << 0644
        << old;
    QTest::newRow("empty command line touches nothing")
        << QStringList{} << true << exe << 0644 << delivered << 0 << old << 0644 << none;
    QTest::newRow("blank command line touches nothing")
        << QStringList{u"   "_s} << true << exe << 0644 << delivered << 0 << old << 0644 << none;
    QTest::newRow("missing NAME.NEW fails, program kept")
        << QStringList{u"vornik"_s} << true << exe << 0644 << none << 1 << old << 0644 << none;
    QTest::newRow("the program itself keeps its permissions")
        << QStringList{u"vornik"_s} << true << bare << 0750 << delivered << 0 << delivered << 0750
        << old;
    QTest::newRow("the program without its execute bit is made executable")
        << QStringList{u"vornik"_s} << true << bare << 0640 << delivered << 0 << delivered << 0750
        << old;
    QTest::newRow("no display: nothing to do ends at once")
        << QStringList{} << false << bare << 0755 << delivered << 0 << old << 0755 << none;
    QTest::newRow("no display: the update is done")
        << QStringList{u"vornik"_s} << false << bare << 0755 << delivered << 0 << delivered << 0755
        << old;
    QTest::newRow("no display: a failure is told on standard error")
        << QStringList{u"vornik"_s} << false << bare << 0755 << none << 1 << old << 0755 << none;
}

void TestOstrelRun::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(QString, program);
    QFETCH(int, mode);
    QFETCH(QByteArray, newFile);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, programAfter);
    QFETCH(int, modeAfter);
    QFETCH(QByteArray, oldAfter);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString newPath = folder.filePath(u"VORNIK.NEW"_s);
    putFile(newPath, newFile);
    if (!newFile.isNull())
        QCOMPARE(::chmod(QFile::encodeName(newPath).constData(), 0644), 0);
    const QString programPath = folder.filePath(program);
    putFile(programPath, "old");
    QCOMPARE(::chmod(QFile::encodeName(programPath).constData(), mode_t(mode)), 0);

    const Run result = runOstrel(TestBuild, folder.path(), arguments, environment(display));

    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(fileBytes(programPath), programAfter);
    QCOMPARE(modeOf(programPath), modeAfter);
    QCOMPARE(fileBytes(folder.filePath(u"VORNIK.OLD"_s)), oldAfter);
    QCOMPARE(fileBytes(newPath), newFile);
    QCOMPARE(QFile::exists(folder.filePath(u"VORNIK.EXE"_s)), program == u"VORNIK.EXE"_s);
    // The failure names the file; stderr may also carry the platform's own start-up notes.
    QCOMPARE(result.errorOutput.contains(u"VORNIK.NEW"_s), exitCode != 0);
    if (arguments.join(QString()).trimmed().isEmpty()) {
        QCOMPARE(result.errorOutput, QString()); // ends quietly
        QVERIFY2(result.milliseconds < 2000, "nothing to do: no wait");
    }
}

void TestOstrelRun::deliveredProgramIgnoresTestSwitches()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    putFile(folder.filePath(u"VORNIK.NEW"_s), "new");
    QProcessEnvironment env = environment(true, u"0"_s);
    env.insert(u"OSTREL_NO_DIALOGS"_s, u"1"_s);

    const Run update = runOstrel(Delivered, folder.path(), {u"Vornik"_s}, env);
    QCOMPARE(update.exitCode, 0);
    QVERIFY2(update.milliseconds >= 2000, qPrintable(QString::number(update.milliseconds)));
    QCOMPARE(fileBytes(folder.filePath(u"VORNIK.EXE"_s)), QByteArray("new"));

    // Neither variable's name is in the delivered program, as 8-bit or UTF-16 text; the test
    // build shows that the names would be found there.
    const auto holds = [](const QString& binary, const QString& name) {
        const QByteArray bytes = fileBytes(binary);
        const QByteArray wide(reinterpret_cast<const char*>(name.utf16()), name.size() * 2);
        return bytes.contains(name.toLatin1()) || bytes.contains(wide);
    };
    QVERIFY(holds(TestBuild, u"OSTREL_WAIT_MS"_s));
    QVERIFY(!holds(Delivered, u"OSTREL_WAIT_MS"_s));
    QVERIFY(!holds(Delivered, u"OSTREL_NO_DIALOGS"_s));
}

QTEST_GUILESS_MAIN(TestOstrelRun)
#include "tst_ostrel_run.moc"
