#pragma once
// The periodic tick of the window: a first tick after one second, then every nine. A tick that
// begins while a box of an earlier tick is open (its nested event loop keeps the timer running)
// is nested and does only the housekeeping.

#include <QObject>

class QTimer;

class Ticker : public QObject
{
    Q_OBJECT

public:
    explicit Ticker(QObject* parent = nullptr);

    // Starts the timer ("MiscTimer").
    void start();
    // One tick.
    void MiscTimer_Timer();

signals:
    // The first steps of a tick that is not nested (reading the settings when due).
    void setupDue();
    // The housekeeping of every tick; nested: a box of an earlier tick is still open.
    void housekeeping(bool nested);

private:
    // True while a tick runs; a box of a tick runs a nested event loop in which the timer keeps
    // ticking.
    bool m_inTick = false;
    QTimer* m_timer;
};
