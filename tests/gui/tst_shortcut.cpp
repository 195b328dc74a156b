// The first-run desktop launcher: shortcut.inf's rules, the launcher written to the desktop
// folder, the first-run mark in Options.Inf, and no second run.
#include "core/shellrules.h"
#include "logic/launcher/launcher.h"
#include "support/filebytes.h"
#include "support/formfixture.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QByteArray FirstRunMark("       \r\n");

} // namespace

class TestShortcut : public FormTest
{
    Q_OBJECT

private slots:
    void shortcutInf_data();
    void shortcutInf();
    void execQuotesAFolderWithABlank();
    void iconAndOlderLauncherReplaced();
    void missingDesktopFolderIsMade();
    void unwritableOptionsStopsEverything();
    void firstTickMakesItOnceAndNotAgainAfterRestart();

private:
    QStringList desktopFiles() const
    {
        return QDir(m_fx->desktop.path()).entryList(QDir::Files | QDir::Hidden);
    }
    // The fixture's program folder, as the window hands it to its subsystems.
    QString programFolder() const { return m_fx->folder.path() + u'/'; }
};

void TestShortcut::shortcutInf_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("launcher"); // file in the desktop folder; empty: none
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("target"); // relative to the program folder
    QTest::newRow("blanks around line 1's value")
        << true << QByteArray("ShortcutTarget=  vornik  \r\nWorkDir=x\r\nShortcutName= Desk \r\n")
        << u"Desk.desktop"_s << u"Desk"_s << u"vornik"_s;
    QTest::newRow("line 1 beginning with =: nothing made")
        << true << QByteArray("=vornik\r\nWorkDir=x\r\nShortcutName=Desk\r\n") << QString()
        << QString() << QString();
    QTest::newRow("empty line 3 gives Vornik")
        << true << QByteArray("ShortcutTarget=vornik\r\nWorkDir=x\r\nShortcutName=\r\n")
        << u"Vornik.desktop"_s << u"Vornik"_s << u"vornik"_s;
    QTest::newRow("two lines: nothing made")
        << true << QByteArray("ShortcutTarget=vornik\r\nShortcutName=Desk\r\n") << QString()
        << QString() << QString();
    QTest::newRow("missing: created empty, nothing made")
        << false << QByteArray() << QString() << QString() << QString();
    QTest::newRow("a slash cannot lead out of the desktop folder")
        << true << QByteArray("T=vornik\r\nx\r\nN=../Desk\r\n") << u"..-Desk.desktop"_s
        << u"../Desk"_s << u"vornik"_s;
}

void TestShortcut::shortcutInf()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(QString, launcher);
    QFETCH(QString, name);
    QFETCH(QString, target);
    if (present)
        m_fx->write(u"shortcut.inf"_s, content);
    launcher::CreateDesktopShortcut(programFolder(), m_fx->desktop.path());

    QVERIFY(m_fx->exists(u"shortcut.inf"_s));
    QCOMPARE(m_fx->read(u"shortcut.inf"_s), content); // read, never changed
    QVERIFY(!m_fx->exists(u"COPYICON.BAT"_s));
    if (launcher.isEmpty()) {
        QVERIFY(desktopFiles().isEmpty());
        return;
    }
    QCOMPARE(desktopFiles(), QStringList{launcher});
    const QString path = QDir(m_fx->desktop.path()).filePath(launcher);
    QCOMPARE(fileBytes(path),
             shellrules::launcherText(name, programFolder() + target, programFolder(), QString())
                 .toUtf8());
    const QFile::Permissions permissions = QFileInfo(path).permissions();
    QVERIFY(permissions.testFlag(QFile::ExeUser));
    QVERIFY(permissions.testFlag(QFile::ExeOther));
    QVERIFY(permissions.testFlag(QFile::ReadUser));
}

void TestShortcut::execQuotesAFolderWithABlank()
{
    const QString folder = m_fx->folder.filePath(u"my parts"_s);
    QVERIFY(QDir().mkpath(folder));
    QFile inf(folder + u"/shortcut.inf"_s);
    QVERIFY(inf.open(QIODevice::WriteOnly));
    inf.write("ShortcutTarget=vornik\r\nWorkDir=\r\nShortcutName=Parts Desk\r\n");
    inf.close();
    launcher::CreateDesktopShortcut(folder + u'/', m_fx->desktop.path());
    const QStringList lines =
        QString::fromUtf8(fileBytes(QDir(m_fx->desktop.path()).filePath(u"Parts Desk.desktop"_s)))
            .split(u'\n');
    QVERIFY(lines.contains(u"Exec=\""_s + folder + u"/vornik\""_s));
    QVERIFY(lines.contains(u"Path="_s + folder + u'/'));
    QVERIFY(lines.contains(u"Name=Parts Desk"_s));
    QVERIFY(lines.contains(u"Type=Application"_s));
    QCOMPARE(lines.first(), u"[Desktop Entry]"_s);
}

void TestShortcut::iconAndOlderLauncherReplaced()
{
    m_fx->write(u"shortcut.inf"_s, "T=vornik\r\nx\r\nN=Vornik\r\n");
    m_fx->write(u"vornik.png"_s, "png");
    QFile old(QDir(m_fx->desktop.path()).filePath(u"Vornik.desktop"_s));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("[Desktop Entry]\nExec=/old/place/vornik --with-a-much-longer-command-line\n");
    old.close();
    const QString folder = programFolder();
    launcher::CreateDesktopShortcut(folder, m_fx->desktop.path());
    QCOMPARE(
        fileBytes(old.fileName()),
        shellrules::launcherText(u"Vornik", folder + u"vornik"_s, folder, folder + u"vornik.png"_s)
            .toUtf8());
}

void TestShortcut::missingDesktopFolderIsMade()
{
    m_fx->write(u"shortcut.inf"_s, "T=vornik\r\nx\r\nN=Desk\r\n");
    QVERIFY(QDir(m_fx->desktop.path()).removeRecursively());
    launcher::CreateDesktopShortcut(programFolder(), m_fx->desktop.path());
    QVERIFY(QFileInfo(QDir(m_fx->desktop.path()).filePath(u"Desk.desktop"_s)).isFile());
}

void TestShortcut::unwritableOptionsStopsEverything()
{
    // The first run is marked before the launcher is made; a mark that cannot be written stops
    // the window from making it.
    Settings settings(m_fx->folder.filePath(u"no such folder/"_s));
    QVERIFY(!settings.markFirstRun());
    QVERIFY(!QFile::exists(settings.optionsFile()));
}

void TestShortcut::firstTickMakesItOnceAndNotAgainAfterRestart()
{
    // The first tick on a short Options.Inf (a first run) makes the launcher; the mark it leaves
    // must not start the installer again.
    m_fx->writeSettings(3300, QByteArray());
    m_fx->write(u"shortcut.inf"_s, "T=vornik\r\nx\r\nN=Desk\r\n");
    m_fx->start();
    m_fx->tick();
    QCOMPARE(desktopFiles(), QStringList{u"Desk.desktop"_s});
    QCOMPARE(m_fx->read(u"Options.Inf"_s), FirstRunMark);

    QVERIFY(QFile::remove(QDir(m_fx->desktop.path()).filePath(u"Desk.desktop"_s)));
    m_fx->form.reset();
    m_fx->start();
    m_fx->tick();
    QVERIFY(desktopFiles().isEmpty());
    QCOMPARE(m_fx->read(u"Options.Inf"_s), FirstRunMark);
}

QTEST_MAIN(TestShortcut)
#include "tst_shortcut.moc"
