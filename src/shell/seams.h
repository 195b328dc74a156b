#pragma once
// The seams injected into MainForm: the clock, the message boxes and the sounds. main() passes
// the real ones; tests pass fakes that answer at once.

#include <QElapsedTimer>
#include <QMessageBox>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QTimer;

class Clock
{
public:
    virtual ~Clock() = default;
    // Seconds since the start of the day the program started on, with fraction. Monotonic: it
    // keeps counting past midnight (86400 and more) instead of falling back to 0, so no deadline
    // or pause is ever missed.
    virtual double secondsSinceMidnight() const = 0;
    // A still pause that blocks the window without spinning a core; the fake one just jumps.
    virtual void pause(int milliseconds) = 0;
    // Runs action once from the event loop when the clock has moved on by seconds; nothing
    // blocks meanwhile. The id cancels it; cancelling a fired or unknown id does nothing.
    virtual int startAlarm(double seconds, std::function<void()> action) = 0;
    virtual void cancelAlarm(int id) = 0;
};

class Prompter // every message box and file dialog of the window goes through here
{
public:
    virtual ~Prompter() = default;
    virtual QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon,
                                            const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons) = 0;
    // The file the user chose to read, or "" when the dialog was cancelled. folder: where the
    // dialog opens; filter: as QFileDialog takes it ("Lists (*.csv *.txt)").
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& folder,
                                 const QString& filter) = 0;
    // The file the user chose to write, or "" when cancelled. suggested: a full path whose
    // folder the dialog opens in and whose name it offers.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                                 const QString& filter) = 0;
};

class Sounds
{
public:
    virtual ~Sounds() = default;
    // Plays a WAV file without blocking the window; a missing file gives the system beep.
    virtual void play(const QString& wavPath) = 0;
};

struct Seams
{
    Clock* clock = nullptr;       // not owned
    Prompter* prompter = nullptr; // not owned
    Sounds* sounds = nullptr;     // not owned
    // Where the first-run desktop launcher goes; empty means the user's desktop folder.
    QString desktopFolder;
};

// The production seams.
class SystemClock final : public Clock
{
public:
    SystemClock();
    ~SystemClock() override;
    double secondsSinceMidnight() const override;
    void pause(int milliseconds) override;
    int startAlarm(double seconds, std::function<void()> action) override;
    void cancelAlarm(int id) override;

private:
    double m_startOfRun = 0; // seconds since midnight when the clock was made
    QElapsedTimer m_elapsed; // monotonic from then on
    int m_lastAlarm = 0;
    std::map<int, std::unique_ptr<QTimer>> m_alarms;
};

class BoxPrompter final : public Prompter
{
public:
    QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                    const QString& text,
                                    QMessageBox::StandardButtons buttons) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                         const QString& filter) override;
};

class SystemSounds final : public Sounds
{
public:
    void play(const QString& wavPath) override;
};
