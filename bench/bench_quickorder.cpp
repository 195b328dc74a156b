// The quick-order pad checking 50 parts of the demo catalog against the demo server (started
// here on free ports), against 50 bare inquiry round trips over sockets, one after the other;
// and the longest time the event loop was blocked while the pad checked. With a demo server
// that keeps its connections open (--keep-open), the same again where it exists.
#include "benchsupport.h"
#include "core/files.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

constexpr int Parts = 50;

// The first 50 part numbers of the demo catalog, from the top again when it holds fewer.
QStringList catalogParts()
{
    const auto bytes = files::readAll(QStringLiteral(VORNIK_CATALOG));
    QStringList parts;
    if (!bytes)
        return parts;
    QStringList rows = files::splitLines(files::fromAnsi(*bytes));
    rows.removeFirst(); // the header
    for (int i = 0; !rows.isEmpty() && parts.size() < Parts; ++i)
        parts << rows[i % rows.size()].section(u',', 1, 1);
    return parts;
}

// The demo server on four free ports; its base port, or 0 when it did not start.
quint16 startServer(QProcess& server, const QStringList& extra, const QString& db)
{
    server.setProgram(QStringLiteral(VORNIK_DEMO_SERVER_PATH));
    server.setArguments(QStringList{u"--port"_s, u"0"_s, u"--db"_s, db} + extra);
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start();
    QElapsedTimer waited;
    waited.start();
    QByteArray said;
    static const QRegularExpression listening(u"listening on [0-9.]+:(\\d+)-"_s);
    while (waited.elapsed() < 5000 && server.state() != QProcess::NotRunning) {
        server.waitForReadyRead(100);
        said += server.readAll();
        const auto match = listening.match(QString::fromLatin1(said));
        if (match.hasMatch())
            return quint16(match.captured(1).toUInt());
    }
    return 0;
}

void stopServer(QProcess& server)
{
    server.terminate(); // this bench's own child, by its process
    if (!server.waitForFinished(3000))
        server.kill();
}

// 50 bare round trips: connect, send, read until the server closes (or, for a server that
// keeps the connection open, until 1.3 s pass without a byte), one after the other. ms.
double bareRoundTrips(quint16 port, const QStringList& parts, bool keepOpen)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString& part : parts) {
        QTcpSocket socket;
        socket.connectToHost(u"127.0.0.1"_s, port);
        if (!socket.waitForConnected(5000))
            return -1;
        socket.write("<I>,1234,DEMO," + part.toLatin1());
        while (socket.waitForReadyRead(keepOpen ? 1300 : 10000))
            socket.readAll();
    }
    return double(timer.elapsed());
}

struct PadFigures
{
    double totalMs = -1;
    double longestBlockMs = 0;
    QString outcome; // the pad's last progress text
};

PadFigures padCheck(quint16 port, const QStringList& parts)
{
    QTemporaryDir folder;
    SystemClock clock;
    ScriptedPrompter prompter;
    RecordingSounds sounds;
    Seams seams{&clock, &prompter, &sounds, folder.path()};
    if (!writeSettings(folder.path(), port, u"DEMO"))
        return {};
    MainForm form(seams, folder.path(), QString());
    if (!showStill(form))
        return {};
    tick(form); // the first tick reads the settings
    QTest::mouseClick(control<QPushButton>(form, "QuickOrderCmd"), Qt::LeftButton);
    auto* pad = form.findChild<QDialog*>(u"QuickOrderDlg"_s);
    if (!pad)
        return {};
    QGuiApplication::clipboard()->setText(parts.join(u",1\n"_s) + u",1"_s);
    QTest::mouseClick(control<QPushButton>(*pad, "PasteCmd"), Qt::LeftButton);
    auto* const progress = control<QLabel>(*pad, "ProgressLbl");
    auto* const check = control<QPushButton>(*pad, "CheckCmd");

    // A 1 ms timer: the longest gap between its ticks is the longest the loop was blocked.
    PadFigures figures;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        figures.longestBlockMs =
            std::max(figures.longestBlockMs, double(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    QElapsedTimer timer;
    timer.start();
    sinceTick.start();
    ticker.start();
    QTest::mouseClick(check, Qt::LeftButton);
    while (!progress->text().startsWith(u"Checked"_s) && timer.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    figures.totalMs = double(timer.elapsed());
    ticker.stop();
    figures.outcome = progress->text();
    if (!progress->text().startsWith(u"Checked"_s))
        figures.totalMs = -1;
    pad->close();
    return figures;
}

void report(const QString& server, double bareMs, const PadFigures& pad, double ratioTarget,
            double limitSeconds)
{
    QTextStream out(stdout);
    if (bareMs < 0 || pad.totalMs < 0) {
        out << server << ": a look-up failed (bare " << bareMs << " ms, pad " << pad.totalMs
            << " ms)" << Qt::endl;
        return;
    }
    if (ratioTarget > 0)
        printRow(u"quick order, 50 parts, "_s + server, pad.totalMs, u"ms"_s, bareMs, ratioTarget);
    else
        out << "quick order, 50 parts, " << server << ": " << QString::number(pad.totalMs, 'f', 2)
            << " ms  (50 bare round trips one after the other: " << QString::number(bareMs, 'f', 2)
            << " ms)" << Qt::endl;
    if (limitSeconds > 0)
        out << "  50 parts in " << QString::number(pad.totalMs / 1000, 'f', 2) << " s (target < "
            << limitSeconds << " s) " << (pad.totalMs < limitSeconds * 1000 ? "met" : "MISSED")
            << Qt::endl;
    out << "  " << pad.outcome << Qt::endl;
    out << "  longest event-loop block while checking: "
        << QString::number(pad.longestBlockMs, 'f', 2) << " ms (target < 50 ms) "
        << (pad.longestBlockMs < 50 ? "met" : "MISSED") << Qt::endl;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList parts = catalogParts();
    if (parts.size() != Parts) {
        std::fprintf(stderr, "demo catalog not found\n");
        return 1;
    }
    QTemporaryDir work;

    QProcess closing;
    const quint16 port = startServer(closing, {}, work.filePath(u"a.sqlite"_s));
    if (port == 0) {
        std::fprintf(stderr, "the demo server did not start\n");
        return 1;
    }
    const double bare = bareRoundTrips(port, parts, false);
    const PadFigures pad = padCheck(port, parts);
    stopServer(closing);
    report(u"closing server"_s, bare, pad, 1.2, 0);

    QProcess keeping;
    const quint16 keptPort = startServer(keeping, {u"--keep-open"_s}, work.filePath(u"b.sqlite"_s));
    if (keptPort == 0) {
        QTextStream(stdout) << "keep-open server: not measured (this demo server has no "
                               "--keep-open switch)"
                            << Qt::endl;
        stopServer(keeping);
        return 0;
    }
    const double keptBare = bareRoundTrips(keptPort, parts, true);
    const PadFigures keptPad = padCheck(keptPort, parts);
    stopServer(keeping);
    report(u"keep-open server"_s, keptBare, keptPad, 0, 30);
    return 0;
}
