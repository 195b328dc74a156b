#pragma once
// Private working state of MainForm that only the shell handlers use.

#include <QPointer>
#include <QWidget>

struct ShellState
{
    // True while a timer tick runs. A message box of a tick (the setup failure, the saved-order
    // question, the connection-update notice) runs a nested event loop in which the timer keeps
    // ticking; such a nested tick does only the housekeeping and never repeats those steps.
    bool inTick = false;
    // Where Qt put the focus after hiding the control that had it (a tab change hides the page);
    // the moves that follow from there in the same event are Qt's, not the user's. Cleared as
    // soon as the event loop runs again.
    QPointer<QWidget> displacedFocus;
};
