#pragma once
// Private working state of MainForm that only the shell handlers use.

struct ShellState
{
    // True while a timer tick runs. A message box of a tick (the setup failure, the saved-order
    // question, the connection-update notice) runs a nested event loop in which the timer keeps
    // ticking; such a nested tick does only the housekeeping and never repeats those steps.
    bool inTick = false;
};
