#pragma once
// Private working state of MainForm that only the inquiry handlers use.

struct InquiryState
{
};
