#pragma once
// Private working state of MainForm that only the link handlers use.

struct LinkState
{
};
