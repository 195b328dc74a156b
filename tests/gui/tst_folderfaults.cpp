// The real window on a program folder that is damaged: settings, cart and update files that are
// binary junk, lack line ends, hold one 10 MB line or are folders; a folder that cannot be written;
// and the process killed while the cart is being saved. Every case must end without a crash, tell
// the user what to do where something is needed of them, and lose nothing that was whole.
#include "support/controls.h"
#include "support/formfixture.h"
#include "support/loopbackserver.h"

#include "gui/listcontrol.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Set in the environment of a child run of this binary: the folder in which it adds cart lines
// until it is killed.
constexpr char SaveLoopVariable[] = "VORNIK_FAULTS_SAVE_LOOP";

const QByteArray CartLine1 = "   2 XYZ PF1234       OIL FILTER           5.37              10.74";
const QByteArray CartLine2 = "   1 XYZ PF1234A      OIL FILTER           5.69               5.69";
const QByteArray SavedCart = CartLine1 + "\r\n" + CartLine2 + "\r\n";
const QByteArray OneAnswer = "<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,";
const QString SetupMessage = u"Please provide or correct Setup Options"_s;

const QStringList AllFiles = {u"Login.Inf"_s,        u"Options.Inf"_s,      u"MyOrder.dat"_s,
                              u"Vornikupdate.TXT"_s, u"LOGIN_UPDATE.INF"_s, u"shortcut.inf"_s};

QByteArray junk(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes) {
        const quint32 pick = random.bounded(12u);
        byte = pick == 0 ? '"' : pick == 1 ? ',' : pick == 2 ? '\r' : char(random.bounded(256u));
    }
    return bytes;
}

// Adds the first answer row to the cart as the user does: asks for PF1234 when no answer is
// shown (else Check Stock with the part field empty brings the answer list back), then selects
// the row and clicks ORDER. False when no answer came.
bool addCartLine(MainForm& f)
{
    auto* answers = control<ListControl>(f, "AnswerList");
    control<QTabWidget>(f, "SSTab1")->setCurrentIndex(0);
    control<QLineEdit>(f, "Parttxt")->setText(answers->rowCount() == 0 ? u"PF1234"_s : QString());
    QTest::mouseClick(control<QPushButton>(f, "InquiryCmd"), Qt::LeftButton);
    if (!QTest::qWaitFor([answers] { return answers->rowCount() > 0; }))
        return false;
    answers->setSelectedIndex(0);
    control<QLineEdit>(f, "Qtytxt")->setText(u" 1"_s);
    QTest::mouseClick(control<QPushButton>(f, "OrderCmd"), Qt::LeftButton);
    return true;
}

// The child run: a window on the given folder, whose settings point at the parent's server,
// that adds cart lines, each add rewriting MyOrder.dat, and reports every finished add on
// stdout, until it is killed.
int saveLoop(int argc, char** argv, const QString& folder)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FakeSeams fakes;
    const Seams seams = fakes.seams(folder);
    MainForm form(seams, folder, {});
    control<QTimer>(form, "MiscTimer")->stop();
    tick(form);
    for (int added = 1; added <= 5000; ++added) {
        if (!addCartLine(form) || control<ListControl>(form, "OrderList")->rowCount() != added
            || !fakes.prompter.boxes.isEmpty())
            return 2;
        std::printf("%d\n", added);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

class TestFolderFaults : public QObject
{
    Q_OBJECT

private slots:
    void damagedFile_data();
    void damagedFile();
    void unwritableFolder_data();
    void unwritableFolder();
    void killedWhileSavingCart();

private:
};

void TestFolderFaults::damagedFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    for (const QString& name : AllFiles) {
        for (const QString& kind : {u"junk"_s, u"no line ends"_s, u"10 MB line"_s, u"folder"_s})
            QTest::newRow(qPrintable(name + u": "_s + kind)) << name << kind;
    }
}

void TestFolderFaults::damagedFile()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);

    LoopbackServer server;
    server.reply = [](const QByteArray&) { return OneAnswer; };
    FormFixture fx;
    fx.writeSettings(server.basePort());
    fx.write(u"MyOrder.dat"_s, SavedCart);
    if (name == u"shortcut.inf"_s)
        fx.write(u"Options.Inf"_s, {}); // a first run: the launcher file is read

    QByteArray damaged;
    if (kind == u"junk"_s) {
        damaged = junk(4096, quint32(qHash(name)));
    } else if (kind == u"no line ends"_s) {
        // A whole file of the kind without its CR LF (the cart: two lines glued into one).
        damaged = name == u"MyOrder.dat"_s  ? CartLine1 + CartLine2
            : name == u"Login.Inf"_s        ? fx.read(name).chopped(2)
            : name == u"Options.Inf"_s      ? fx.read(name).chopped(2)
            : name == u"Vornikupdate.TXT"_s ? QByteArray("url:10.1.1.1\rsocket:3301")
            : name == u"shortcut.inf"_s     ? QByteArray("Vornik.exe")
                                            : QByteArray("\"10.1.1.1\",\"3301\"");
    } else if (kind == u"10 MB line"_s) {
        damaged = "\"" + QByteArray(10 * 1024 * 1024, 'A') + "\",3301,\"x\"";
    }
    if (kind == u"folder"_s) {
        QFile::remove(fx.folder.filePath(name));
        QVERIFY(QDir(fx.folder.path()).mkdir(name));
    } else {
        fx.write(name, damaged);
    }
    QMap<QString, QByteArray> before;
    for (const QString& other : AllFiles)
        before[other] = fx.read(other);

    QElapsedTimer elapsed;
    elapsed.start();
    fx.prompter.answers << QMessageBox::Yes << QMessageBox::Yes; // keep whatever cart is found
    MainForm& f = fx.start();
    fx.tick(); // the settings, the update file, the first-run launcher, the cart
    fx.tick();
    const QStringList shown = fx.prompter.shown();
    const int cartBefore = control<ListControl>(f, "OrderList")->rowCount();

    // Settings that cannot be read are told to the user, who must fix them. Junk that happens
    // to split into enough quoted fields is loaded as it stands, as any record of enough fields
    // is: the user sees it on the OPTIONS tab.
    const bool settingsDamaged = ((name == u"Login.Inf"_s || name == u"Options.Inf"_s)
                                  && (kind == u"10 MB line"_s || kind == u"folder"_s))
        || name == u"shortcut.inf"_s; // the first run has no options
    QCOMPARE(shown.contains(SetupMessage), settingsDamaged);
    if (settingsDamaged)
        QCOMPARE(control<QTabWidget>(f, "SSTab1")->currentIndex(), 2);
    // A cart file with a line no order line comes near is not shown as a cart: it is told, and
    // kept beside it as it was.
    if (name == u"MyOrder.dat"_s && kind == u"10 MB line"_s) {
        QVERIFY(shown.join(u'\n').contains(u"MyOrder.dat"_s));
        QCOMPARE(cartBefore, 0);
        QCOMPARE(fx.read(u"MyOrder.dat.damaged"_s), before[u"MyOrder.dat"_s]);
    }

    // Nothing that was whole is lost. A damaged settings file or launcher file is left for the
    // user to look at (a first run rewrites Options.Inf whole); update files are used up once
    // read.
    if (name == u"Login.Inf"_s || name == u"shortcut.inf"_s
        || (name == u"Options.Inf"_s && kind != u"no line ends"_s))
        QCOMPARE(fx.read(name), before[name]);
    // Update files are applied only when they make sense: junk never replaces a working
    // server address; the user is told, and a refused LOGIN_UPDATE.INF stays for a look.
    if (name == u"Vornikupdate.TXT"_s || name == u"LOGIN_UPDATE.INF"_s) {
        const QByteArray login = fx.read(u"Login.Inf"_s);
        if (kind == u"no line ends"_s) {
            QVERIFY2(login.startsWith("10.1.1.1,\"JSMITH\",\"1234\",\"\",3301,")
                         || login.startsWith("\"10.1.1.1\",\"JSMITH\",\"1234\",\"\",\"3301\""),
                     login.constData());
        } else {
            QCOMPARE(login, before[u"Login.Inf"_s]);
        }
        if (name == u"LOGIN_UPDATE.INF"_s && kind != u"no line ends"_s && kind != u"folder"_s) {
            QVERIFY2(shown.join(u'\n').contains(u"LOGIN_UPDATE.INF"_s),
                     qPrintable(shown.join(u'|')));
            QCOMPARE(fx.read(name), before[name]);
        }
    }

    // The window still works: an answer can be shown and ordered from, once the user has put
    // the connection right where it no longer shows this server (clearing away a folder that
    // stands in Login.Inf's place).
    if (control<QLineEdit>(f, "txtHostAddress")->text() != u"127.0.0.1"_s
        || control<QLineEdit>(f, "ServerSocketTxt")->text() != QString::number(server.basePort())) {
        QDir(fx.folder.filePath(u"Login.Inf"_s)).removeRecursively();
        control<QLineEdit>(f, "LoginNameTxt")->setText(u"JSMITH"_s);
        control<QLineEdit>(f, "AccNumTxt")->setText(u"1234"_s);
        control<QLineEdit>(f, "txtHostAddress")->setText(u"127.0.0.1"_s);
        control<QLineEdit>(f, "ServerSocketTxt")->setText(QString::number(server.basePort()));
        control<QTabWidget>(f, "SSTab1")->setCurrentIndex(2);
        QTest::mouseClick(control<QPushButton>(f, "SaveLoginInfoCmd", 0), Qt::LeftButton);
    }
    fx.prompter.clear();
    QVERIFY(addCartLine(f));
    QCOMPARE(control<ListControl>(f, "OrderList")->rowCount(), cartBefore + 1);
    QVERIFY2(elapsed.elapsed() < 20000, qPrintable(QString::number(elapsed.elapsed())));
    if (name == u"MyOrder.dat"_s && kind == u"folder"_s) {
        // The cart cannot be saved: the user is told, and the line stays on screen.
        QVERIFY(fx.prompter.shown().join(u'\n').contains(u"MyOrder.dat"_s));
    } else {
        QVERIFY(fx.prompter.boxes.isEmpty());
        const QByteArray cart = fx.read(u"MyOrder.dat"_s);
        QVERIFY(cart.endsWith(
            "   1 XYZ PF1234       OIL FILTER           5.37               5.37\r\n"));
        if (name != u"MyOrder.dat"_s)
            QCOMPARE(cart.left(SavedCart.size()), SavedCart);
    }
}

void TestFolderFaults::unwritableFolder_data()
{
    QTest::addColumn<bool>("replaced"); // false: the folder has no write permission
    // From the start: the settings and the cart are still read.
    QTest::newRow("no write permission") << false;
    // Taken away while the window runs and a file put in its place: nothing can be created in
    // it, not even by root; the settings can no longer be read either.
    QTest::newRow("replaced by a file") << true;
}

void TestFolderFaults::unwritableFolder()
{
    QFETCH(bool, replaced);
    if (!replaced && ::geteuid() == 0)
        QSKIP("running as root: a folder without write permission is still writable");
    LoopbackServer server;
    server.reply = [](const QByteArray&) { return OneAnswer; };
    FormFixture fx;
    fx.writeSettings(server.basePort());
    fx.write(u"MyOrder.dat"_s, SavedCart);
    const QString folder = fx.folder.path();
    const QFile::Permissions old = QFile::permissions(folder);
    QVERIFY(replaced || QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const auto restore = qScopeGuard([&] {
        QFile::remove(folder); // the file put in its place
        QFile::setPermissions(folder, old);
    });

    fx.prompter.answers << QMessageBox::Yes;
    MainForm& f = fx.start();
    fx.tick();
    QCOMPARE(control<ListControl>(f, "OrderList")->rowCount(), 2);
    QVERIFY(fx.prompter.shown().filter(SetupMessage).isEmpty());
    fx.prompter.clear();
    if (replaced) {
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
    }

    QVERIFY(addCartLine(f));
    QCOMPARE(control<ListControl>(f, "OrderList")->rowCount(), 3); // the line stays on screen
    QCOMPARE(fx.prompter.boxes.size(), 1);
    QVERIFY(fx.prompter.boxes.first().text.contains(u"could not be saved"_s));
    fx.prompter.clear();

    control<QTabWidget>(f, "SSTab1")->setCurrentIndex(2);
    QTest::mouseClick(control<QPushButton>(f, "SaveLoginInfoCmd", 0), Qt::LeftButton);
    const QString said = fx.prompter.shown().join(u'\n');
    QVERIFY2(said.contains(u"Login.Inf"_s) && said.contains(u"Options.Inf"_s), qPrintable(said));
    if (replaced) {
        // Reading them back fails: the user is told and kept on the OPTIONS tab.
        QVERIFY(fx.prompter.shown().contains(SetupMessage));
        QCOMPARE(control<QTabWidget>(f, "SSTab1")->currentIndex(), 2);
    } else {
        QCOMPARE(fx.read(u"MyOrder.dat"_s), SavedCart);
        QVERIFY(fx.read(u"Login.Inf"_s).startsWith("\"127.0.0.1\",\"JSMITH\",\"1234\""));
    }
    QCOMPARE(fx.prompter.unanswered, 0);
}

void TestFolderFaults::killedWhileSavingCart()
{
    QRandomGenerator random(1312);
    LoopbackServer server; // answers each child's inquiry
    server.reply = [](const QByteArray&) { return OneAnswer; };
    for (int round = 0; round < 6; ++round) {
        FormFixture fx; // the child's program folder; the window runs in the child
        fx.writeSettings(server.basePort());
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(SaveLoopVariable), fx.folder.path());
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        // Let it run for some adds, then kill it at a random moment.
        const int wanted = int(random.bounded(1u, 120u));
        QByteArray out;
        QVERIFY(QTest::qWaitFor(
            [&] {
                out += child.readAllStandardOutput();
                return out.count('\n') >= wanted || child.state() != QProcess::Running;
            },
            30000));
        QTest::qWait(int(random.bounded(0u, 20u)));
        QVERIFY2(child.state() == QProcess::Running, child.readAllStandardError().constData());
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        out += child.readAllStandardOutput();
        const int done = int(out.count('\n'));
        QVERIFY(done >= wanted);

        // MyOrder.dat is whole: the lines of the last finished save, or of the one after it.
        const QByteArray file = fx.read(u"MyOrder.dat"_s);
        QVERIFY(file.endsWith("\r\n"));
        const QList<QByteArray> lines = file.chopped(2).split('\n');
        QVERIFY2(lines.size() == done || lines.size() == done + 1,
                 qPrintable(u"%1 lines after %2 saves"_s.arg(lines.size()).arg(done)));
        for (const QByteArray& line : lines) {
            const QByteArray text = line.endsWith('\r') ? line.chopped(1) : line;
            QCOMPARE(text.size(), 66);
            QCOMPARE(text, lines.first().chopped(1));
        }
    }
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(SaveLoopVariable))
        return saveLoop(argc, argv, qEnvironmentVariable(SaveLoopVariable));
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestFolderFaults tests;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_folderfaults.moc"
