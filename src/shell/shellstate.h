#pragma once
// Private working state of MainForm that only the shell handlers use.

struct ShellState
{
};
