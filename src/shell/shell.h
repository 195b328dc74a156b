#pragma once
// The shell: the periodic timer and its rhythm, the trace switch and the trace log, the
// new-version flag and its shut-down notice, and the first-run desktop launcher.

#include <QObject>
#include <QString>

class QTimer;

class Shell : public QObject
{
    Q_OBJECT

public:
    // folder: the program folder, ending in the separator. commandLine: the arguments after the
    // program's name ("T" switches the trace on). desktopFolder: where the launcher goes; empty
    // means the user's desktop.
    Shell(const QString& folder, const QString& commandLine, const QString& desktopFolder,
          QObject* parent = nullptr);

    [[nodiscard]] QString folder() const { return m_folder; }
    [[nodiscard]] bool traceMode() const { return m_traceMode; }
    [[nodiscard]] QString logFile() const;

    // Starts the timer: a first tick after one second, then every nine.
    void start();
    // One tick. A tick that begins while a box of an earlier tick is open (its nested event loop
    // keeps the timer running) is nested: it does only the housekeeping.
    void MiscTimer_Timer();

    // Appends the request to DataSend.log; false when the log cannot be written.
    bool TraceRequest(const QString& request);

    [[nodiscard]] bool newVersionFlag() const { return m_newVersionFlag; }
    void setNewVersionFlag() { m_newVersionFlag = true; }
    // The notice shown at shut-down; empty when there is no new version.
    [[nodiscard]] QString unloadNotice() const;

    // Writes the desktop launcher described by shortcut.inf. Every failure ends this silently,
    // leaving done what was done.
    void CreateDesktopShortcut();

signals:
    // The first steps of a tick that is not nested (reading the settings when due).
    void setupDue();
    // The housekeeping of every tick; nested: a box of an earlier tick is still open.
    void housekeeping(bool nested);

private:
    QString m_folder;
    QString m_desktopFolder;
    bool m_traceMode = false;
    bool m_newVersionFlag = false;
    // True while a tick runs; a box of a tick runs a nested event loop in which the timer keeps
    // ticking.
    bool m_inTick = false;
    QTimer* m_timer;
};
