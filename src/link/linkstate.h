#pragma once
// Private working state of MainForm that only the link handlers use.

struct LinkState
{
    // A settings file could not be written during the current SAVE; its closing "saved" flash
    // is then left out, so a failed save never looks like a successful one.
    bool saveFailed = false;
};
