// Start-up to the first painted window, against a bare Qt window with a three-tab control. Each
// run is a fresh process (the parent starts the child and waits for its "painted" line), so the
// figure includes loading the program and its libraries. Also prints the peak memory of each
// child after start-up and the CPU an idle window uses over 30 seconds.
#include "benchsupport.h"
#include "gui/mainform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPaintEvent>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <array>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Milliseconds since main() began, for the phases of one start-up.
QElapsedTimer sinceMain;

double phaseMs()
{
    return double(sinceMain.nsecsElapsed()) / 1e6;
}

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            // After this paint has been handled, the window is on screen.
            QTimer::singleShot(0,
                               [] { QTextStream(stdout) << "painted " << phaseMs() << Qt::endl; });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

long peakKilobytes()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

double cpuSeconds()
{
    QFile stat(u"/proc/self/stat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // Fields 14 and 15 of the stat line (utime, stime) are at 11 and 12 after the name.
    return (fields.value(11).toDouble() + fields.value(12).toDouble())
        / double(sysconf(_SC_CLK_TCK));
}

int child(const QString& kind, int idleSeconds)
{
    int argc = 1;
    char name[] = "bench_startup";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    const double applicationMs = phaseMs();
    FirstPaint watcher;
    QTemporaryDir folder;
    SystemClock clock;
    ScriptedPrompter prompter;
    RecordingSounds sounds;
    Seams seams{&clock, &prompter, &sounds, folder.path()};
    std::unique_ptr<QWidget> window;
    if (kind == u"vornik") {
        window = std::make_unique<MainForm>(seams, folder.path(), QString());
    } else {
        auto* bare = new QMainWindow;
        auto* tabs = new QTabWidget;
        for (const QString& caption :
             {u"INQUIRY / ORDERING"_s, u"INFORMATION / ORDER  HISTORY"_s, u"OPTIONS"_s})
            tabs->addTab(new QWidget, caption);
        bare->setCentralWidget(tabs);
        bare->resize(820, 607);
        window.reset(bare);
    }
    QTextStream(stdout) << "built " << applicationMs << ' ' << phaseMs() << Qt::endl;
    window->installEventFilter(&watcher);
    window->show();
    if (idleSeconds > 0) {
        // Settle, then measure the CPU used while the window sits idle.
        QTimer::singleShot(3000, [&] {
            const double before = cpuSeconds();
            QElapsedTimer wall;
            wall.start();
            QTimer::singleShot(idleSeconds * 1000, [wall, before] {
                const double used = cpuSeconds() - before;
                QTextStream(stdout) << "idle " << used << ' ' << double(wall.elapsed()) / 1000.0
                                    << " peak " << peakKilobytes() << Qt::endl;
                QApplication::quit();
            });
        });
    } else {
        QTimer::singleShot(0, [] { QTimer::singleShot(50, [] { QApplication::quit(); }); });
    }
    const int code = QApplication::exec();
    if (idleSeconds == 0)
        QTextStream(stdout) << "peak " << peakKilobytes() << Qt::endl;
    return code;
}

struct Run
{
    double ms = 0;
    double applicationMs = 0; // main() to the application object
    double builtMs = 0;       // main() to the window built
    double paintedMs = 0;     // main() to the first paint handled
    long peakKb = 0;
    double idleCpu = 0;
    double idleWall = 0;
};

Run runChild(const QString& self, const QString& kind, int idleSeconds)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(u"DISPLAY"_s))
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(self, {u"--child"_s, kind, QString::number(idleSeconds)});
    Run run;
    QByteArray out;
    while (process.state() != QProcess::NotRunning || process.bytesAvailable()) {
        process.waitForReadyRead(100);
        out += process.readAllStandardOutput();
        if (run.ms == 0 && out.contains("painted"))
            run.ms = double(timer.nsecsElapsed()) / 1e6;
        if (process.state() == QProcess::NotRunning && !process.bytesAvailable())
            break;
    }
    process.waitForFinished();
    out += process.readAllStandardOutput();
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.value(0) == "built") {
            run.applicationMs = words.value(1).toDouble();
            run.builtMs = words.value(2).toDouble();
        } else if (words.value(0) == "painted") {
            run.paintedMs = words.value(1).toDouble();
        } else if (words.value(0) == "idle") {
            run.idleCpu = words.value(1).toDouble();
            run.idleWall = words.value(2).toDouble();
            run.peakKb = words.value(4).toLong();
        } else if (words.value(0) == "peak") {
            run.peakKb = words.value(1).toLong();
        }
    }
    return run;
}

} // namespace

int main(int argc, char* argv[])
{
    sinceMain.start();
    if (argc >= 4 && QByteArrayView(argv[1]) == "--child")
        return child(QString::fromLocal8Bit(argv[2]), atoi(argv[3]));

    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    const int runs = 25;
    QList<double> vornik, bare;
    QList<double> vornikPeak, barePeak;
    // Per phase, for vornik and bare: before main() and the application object, building the
    // window, showing it to its first paint.
    std::array<QList<double>, 3> vornikPhases, barePhases;
    const auto addPhases = [](std::array<QList<double>, 3>& phases, const Run& run) {
        phases[0] << run.ms - run.paintedMs + run.applicationMs;
        phases[1] << run.builtMs - run.applicationMs;
        phases[2] << run.paintedMs - run.builtMs;
    };
    runChild(self, u"vornik"_s, 0); // warm the file cache for both
    runChild(self, u"bare"_s, 0);
    for (int i = 0; i < runs; ++i) {
        // Each goes first in every other pair, so that neither always finds the caches as the
        // other left them.
        Run a, b;
        if (i % 2 == 0) {
            a = runChild(self, u"vornik"_s, 0);
            b = runChild(self, u"bare"_s, 0);
        } else {
            b = runChild(self, u"bare"_s, 0);
            a = runChild(self, u"vornik"_s, 0);
        }
        vornik << a.ms;
        bare << b.ms;
        vornikPeak << double(a.peakKb);
        barePeak << double(b.peakKb);
        addPhases(vornikPhases, a);
        addPhases(barePhases, b);
    }
    QTextStream(stdout) << "median of " << runs << " fresh processes each" << Qt::endl;
    printRow(u"start-up to first paint"_s, median(vornik), u"ms"_s, median(bare), 1.2);
    const QStringList phaseNames{u"load and application object"_s, u"window built"_s,
                                 u"shown to first paint"_s};
    for (size_t i = 0; i < vornikPhases.size(); ++i)
        QTextStream(stdout) << "  " << phaseNames.value(qsizetype(i)) << ": "
                            << QString::number(median(vornikPhases[i]), 'f', 2) << " ms, bare "
                            << QString::number(median(barePhases[i]), 'f', 2) << " ms" << Qt::endl;
    printRow(u"peak memory after start-up"_s, median(vornikPeak) / 1024.0, u"MiB"_s,
             median(barePeak) / 1024.0, 1.5);

    const int idleSeconds = argc >= 2 && QByteArrayView(argv[1]) == "--quick" ? 5 : 30;
    const Run idle = runChild(self, u"vornik"_s, idleSeconds);
    const double percent = idle.idleWall > 0 ? 100.0 * idle.idleCpu / idle.idleWall : 0;
    QTextStream(stdout) << "idle window: " << QString::number(idle.idleCpu, 'f', 3) << " s CPU in "
                        << QString::number(idle.idleWall, 'f', 1)
                        << " s = " << QString::number(percent, 'f', 3) << " % (target < 1 %) "
                        << (percent < 1.0 ? "met" : "MISSED") << Qt::endl;
    return 0;
}
