#pragma once
// Private working state of MainForm that only the order handlers use.

struct OrderState
{
};
