#pragma once
// Private working state of MainForm that only the inquiry handlers use.

#include "core/answer.h"

#include <QString>

struct InquiryState
{
    // Where the reply being handled stands; shown only by the trace-mode failure boxes.
    QString stage;
    // The row builder's values, carried from one display record to the next of one reply.
    answer::RowWorkingValues rows;
};
