#pragma once
// A fresh MainForm on a temporary program folder with fake seams, for the window tests.

#include "gui/mainform.h"
#include "logic/cart/cart.h"
#include "logic/replies/replydispatcher.h"
#include "logic/settings/settings.h"
#include "logic/tick/ticker.h"
#include "logic/tracelog/tracelog.h"
#include "support/controls.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

struct FormFixture
{
    QTemporaryDir folder;
    QTemporaryDir desktop;
    FakeClock clock;
    ScriptedPrompter prompter;
    RecordingSounds sounds;
    std::unique_ptr<MainForm> form;

    // Writes a file of the program folder byte for byte.
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    [[nodiscard]] QByteArray read(const QString& name) const
    {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    [[nodiscard]] bool exists(const QString& name) const
    {
        return QFile::exists(folder.filePath(name));
    }

    // Builds the window (start-up runs in the constructor) and shows it. The timer is stopped
    // so that ticks happen only when a test calls tick().
    MainForm& start(const QString& commandLine = {}, bool show = true)
    {
        const Seams seams{&clock, &prompter, &sounds, desktop.path()};
        form = std::make_unique<MainForm>(seams, folder.path(), commandLine);
        control<QTimer>(*form, "MiscTimer")->stop();
        if (show) {
            form->show();
            if (!QTest::qWaitForWindowExposed(form.get()))
                qWarning("window not exposed");
            // The information tab is built just after the window's first paint.
            if (!QTest::qWaitFor(
                    [this] { return form->findChild<QWidget*>(QStringLiteral("VersionInfo")); }))
                qWarning("information tab not built");
        }
        return *form;
    }

    // start() with the OPTIONS tab in front, where the settings fields are.
    MainForm& startOnOptionsTab()
    {
        MainForm& f = start();
        control<QTabWidget>(f, "SSTab1")->setCurrentIndex(2);
        return f;
    }

    // Points the window at a server on 127.0.0.1: writes the settings, which the window reads at
    // its first tick; so this comes before any other tick.
    void pointAt(quint16 port, const QByteArray& login = QByteArray("JSMITH"),
                 const QByteArray& host = QByteArray("127.0.0.1"))
    {
        writeSettings(port, DefaultOptions, login, host);
        tick();
    }
    // One tick of the window's timer.
    void tick() const { ::tick(*form); }

    static inline const QByteArray DefaultOptions =
        "\"ACME\",0,0,\"\",0,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";

    // A valid Login.Inf and Options.Inf for account 1234 / JSMITH on 127.0.0.1:port.
    void writeSettings(quint16 port, const QByteArray& options = DefaultOptions,
                       const QByteArray& login = QByteArray("JSMITH"),
                       const QByteArray& host = QByteArray("127.0.0.1"))
    {
        write(QStringLiteral("Login.Inf"),
              "\"" + host + "\",\"" + login + "\",\"1234\",\"\",\"" + QByteArray::number(port)
                  + "\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
        write(QStringLiteral("Options.Inf"), options);
    }
};

// The base of the window test classes: a fresh fixture for every test function and, after it, no
// Yes/No box that found no queued answer. A class that needs more calls these from its own.
class FormTest : public QObject
{
    Q_OBJECT

protected slots:
    void init() { m_fx = std::make_unique<FormFixture>(); }
    void cleanup()
    {
        QCOMPARE(m_fx->prompter.unanswered, 0);
        m_fx.reset();
    }

protected:
    std::unique_ptr<FormFixture> m_fx;
};
