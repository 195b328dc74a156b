#pragma once
// Table-driven checks of the pure rules: one call runs a rule on the current row.

#include <QTest>

// Compares rule(value) with expected, the two columns every one-argument rule table has. Value
// and Expected are the columns' types; an overloaded rule is picked with qOverload<Value>.
template <typename Value, typename Expected = QString, typename Rule> void compareRule(Rule rule)
{
    QFETCH(Value, value);
    QFETCH(Expected, expected);
    QCOMPARE(rule(value), expected);
}
