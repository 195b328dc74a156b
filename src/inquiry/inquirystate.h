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
    // True while a record is shown ahead of its end: its failed steps are not reported.
    bool quiet = false;

    // How far the reply being taken in has been handled. A reply can come in pieces: records
    // are handled once they have ended (the next "<" is in), and the last one again each time
    // it grows, its earlier rows replaced.
    struct Reply
    {
        bool decided = false; // the kind is known (three characters are in, or it is whole)
        answer::ReplyKind kind = answer::ReplyKind::Inquiry;
        bool finished = false; // handled for good: a box was shown, or not found
        qsizetype next = -1;   // the "<" of the first record not yet ended; -1: none yet
        QString tag;           // carried from record to record, as the whole reply carries it
        QString version;
        QString stage; // the stage the records left behind
        // Before the last record was handled, to take it back when it grows.
        bool lastShown = false;
        int rowsBefore = 0;
        qsizetype recordsBefore = 0;
        answer::RowWorkingValues valuesBefore;
        QString tagBefore;
        QString stageBefore;
    } reply;
};
