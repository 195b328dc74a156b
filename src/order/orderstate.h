#pragma once
// Private working state of MainForm that only the order handlers use. The cart itself is the
// rows of OrderList and the panels keep their own positions, so nothing is held here yet.

struct OrderState
{
};
