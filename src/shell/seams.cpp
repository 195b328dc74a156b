// The production seams: a monotonic clock, real message boxes and non-blocking sounds.
#include "shell/seams.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QSoundEffect>
#include <QThread>
#include <QTime>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>

SystemClock::SystemClock()
    : m_startOfRun(QTime::currentTime().msecsSinceStartOfDay() / 1000.0)
{
    m_elapsed.start();
}

SystemClock::~SystemClock() = default;

double SystemClock::secondsSinceMidnight() const
{
    return m_startOfRun + static_cast<double>(m_elapsed.nsecsElapsed()) / 1e9;
}

void SystemClock::pause(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(milliseconds));
}

int SystemClock::startAlarm(double seconds, std::function<void()> action)
{
    const int id = ++m_lastAlarm;
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(),
                     [this, id, action = std::move(action)] {
                         // The timer goes first: the action may start or cancel alarms.
                         const auto fired = m_alarms.find(id);
                         if (fired == m_alarms.end())
                             return;
                         fired->second.release()->deleteLater();
                         m_alarms.erase(fired);
                         action();
                     });
    timer->start(std::max(0, static_cast<int>(std::ceil(seconds * 1000.0))));
    m_alarms.emplace(id, std::move(timer));
    return id;
}

void SystemClock::cancelAlarm(int id)
{
    m_alarms.erase(id);
}

QMessageBox::StandardButton BoxPrompter::ask(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& title, const QString& text,
                                             QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString BoxPrompter::openFileName(QWidget* parent, const QString& caption, const QString& folder,
                                  const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString BoxPrompter::saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                                  const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

void SystemSounds::play(const QString& wavPath)
{
    if (!QFileInfo(wavPath).isFile()) {
        QApplication::beep();
        return;
    }
    // The effect deletes itself when it has played, so the window never waits for a sound.
    auto* effect = new QSoundEffect(qApp);
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying() && effect->status() != QSoundEffect::Loading)
            effect->deleteLater();
    });
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error) {
            QApplication::beep();
            effect->deleteLater();
        }
    });
    effect->setSource(QUrl::fromLocalFile(wavPath));
    effect->play();
}
