#pragma once
// Fakes for the window's seams: a clock that jumps instead of waiting, a prompter that answers
// from a queue and records every box, and a sound player that records what was played.

#include "shell/seams.h"

#include <QList>
#include <QObject>
#include <QQueue>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

class FakeClock final : public Clock
{
public:
    double now = 36000.0; // 10:00 in the morning
    QList<int> pauses;    // every pause asked for, in milliseconds
    // On: an alarm fires by itself after a compressed real delay (realMsPerSecond for each of
    // its seconds), the clock jumping to its due time, so waits of seconds take milliseconds.
    // Off: time stands still until the test moves it with advance().
    bool autoAdvance = true;
    int realMsPerSecond = 100;

    double secondsSinceMidnight() const override { return now; }
    void pause(int milliseconds) override
    {
        pauses << milliseconds;
        if (milliseconds > 0)
            now += milliseconds / 1000.0;
    }
    int startAlarm(double seconds, std::function<void()> action) override
    {
        const int id = ++m_lastAlarm;
        const double due = now + std::max(0.0, seconds);
        m_alarms.push_back(Alarm{id, due, std::move(action)});
        if (autoAdvance)
            QTimer::singleShot(int(std::max(0.0, seconds) * realMsPerSecond), &m_context,
                               [this, id] {
                                   if (!autoAdvance)
                                       return;
                                   const auto it = find(id);
                                   if (it != m_alarms.end())
                                       advanceTo(it->due);
                               });
        return id;
    }
    void cancelAlarm(int id) override
    {
        const auto it = find(id);
        if (it != m_alarms.end())
            m_alarms.erase(it);
    }
    // Moves the clock on and fires every alarm that falls due, earliest first.
    void advance(double seconds) { advanceTo(now + seconds); }
    void advanceTo(double time)
    {
        now = std::max(now, time);
        forever {
            auto next = std::min_element(
                m_alarms.begin(), m_alarms.end(), [](const Alarm& a, const Alarm& b) {
                    return a.due < b.due || (a.due == b.due && a.id < b.id);
                });
            if (next == m_alarms.end() || next->due > now)
                return;
            const std::function<void()> action = std::move(next->action);
            m_alarms.erase(next);
            action();
        }
    }
    // Jumps to the earliest pending alarm and fires it; false when none is pending.
    bool advanceToNextAlarm()
    {
        if (m_alarms.empty())
            return false;
        double due = m_alarms.front().due;
        for (const Alarm& alarm : m_alarms)
            due = std::min(due, alarm.due);
        advanceTo(due);
        return true;
    }
    [[nodiscard]] int pendingAlarms() const { return int(m_alarms.size()); }

private:
    struct Alarm
    {
        int id;
        double due;
        std::function<void()> action;
    };
    std::vector<Alarm>::iterator find(int id)
    {
        return std::find_if(m_alarms.begin(), m_alarms.end(),
                            [id](const Alarm& alarm) { return alarm.id == id; });
    }
    int m_lastAlarm = 0;
    std::vector<Alarm> m_alarms;
    QObject m_context; // the real timers of autoAdvance end with the clock
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
