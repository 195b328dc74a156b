#pragma once
// Fakes for the window's seams: a clock that jumps instead of waiting, a prompter that answers
// from a queue and records every box, and a sound player that records what was played.

#include "shell/seams.h"

#include <QList>
#include <QQueue>
#include <QStringList>

class FakeClock final : public Clock
{
public:
    double now = 36000.0; // 10:00 in the morning
    QList<int> pauses;    // every pause asked for, in milliseconds
    double secondsSinceMidnight() const override { return now; }
    void pause(int milliseconds) override
    {
        pauses << milliseconds;
        if (milliseconds > 0)
            now += milliseconds / 1000.0;
    }
};

struct ShownBox
{
    QMessageBox::Icon icon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
};

class ScriptedPrompter final : public Prompter
{
public:
    QQueue<QMessageBox::StandardButton> answers; // for Yes/No boxes, in order
    QList<ShownBox> boxes;
    int unanswered = 0; // Yes/No boxes shown with no queued answer: the test forgot one
    QMessageBox::StandardButton ask(QWidget*, QMessageBox::Icon icon, const QString& title,
                                    const QString& text,
                                    QMessageBox::StandardButtons buttons) override
    {
        boxes << ShownBox{icon, title, text, buttons};
        if (buttons == QMessageBox::Ok)
            return QMessageBox::Ok;
        if (answers.isEmpty()) {
            ++unanswered;
            return QMessageBox::No;
        }
        return answers.dequeue();
    }
    QStringList shown() const
    {
        QStringList texts;
        for (const ShownBox& box : boxes)
            texts << box.text;
        return texts;
    }
    void clear()
    {
        boxes.clear();
        answers.clear();
        unanswered = 0;
    }
};

class RecordingSounds final : public Sounds
{
public:
    QStringList played;
    void play(const QString& wavPath) override { played << wavPath; }
};

// The three fakes together, handed to a window as its seams.
struct FakeSeams
{
    FakeClock clock;
    ScriptedPrompter prompter;
    RecordingSounds sounds;
    [[nodiscard]] Seams seams(const QString& desktopFolder)
    {
        return Seams{&clock, &prompter, &sounds, desktopFolder};
    }
};
