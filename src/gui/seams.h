#pragma once
// The seams injected into MainForm: the clock, the message boxes and file dialogs, and the
// sounds. main() passes the real ones; tests pass fakes that answer at once.

#include "logic/clock/clock.h"

#include <QMessageBox>
#include <QString>

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
