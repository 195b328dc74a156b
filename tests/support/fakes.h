#pragma once
// Fakes for the window's seams: the clock that jumps (fakeclock.h), a prompter that answers from
// a queue and records every box, and a sound player that records what was played.

#include "gui/seams.h"
#include "support/fakeclock.h"

#include <QList>
#include <QObject>
#include <QQueue>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

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
    // Runs while a box is open, as the event loop of a real modal box would; deepest counts the
    // boxes that were open at once.
    std::function<void()> whileOpen;
    int deepest = 0;
    QMessageBox::StandardButton ask(QWidget*, QMessageBox::Icon icon, const QString& title,
                                    const QString& text,
                                    QMessageBox::StandardButtons buttons) override
    {
        boxes << ShownBox{icon, title, text, buttons};
        deepest = std::max(deepest, ++m_open);
        if (whileOpen)
            whileOpen();
        --m_open;
        if (buttons == QMessageBox::Ok)
            return QMessageBox::Ok;
        if (answers.isEmpty()) {
            ++unanswered;
            return QMessageBox::No;
        }
        return answers.dequeue();
    }
    // File dialogs: each answers with the next queued path, or "" (cancelled) when none is
    // queued; every dialog is recorded as "open|caption|folder" or "save|caption|suggested".
    QQueue<QString> fileAnswers;
    QStringList fileDialogs;
    QString openFileName(QWidget*, const QString& caption, const QString& folder,
                         const QString&) override
    {
        fileDialogs << QStringLiteral("open|") + caption + u'|' + folder;
        return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    }
    QString saveFileName(QWidget*, const QString& caption, const QString& suggested,
                         const QString&) override
    {
        fileDialogs << QStringLiteral("save|") + caption + u'|' + suggested;
        return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
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
        fileAnswers.clear();
        fileDialogs.clear();
        unanswered = 0;
        whileOpen = nullptr;
        deepest = 0;
    }

private:
    int m_open = 0;
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
