#pragma once
// Table-driven checks of the pure rules: one call runs a rule on the current row.

#include <QTest>

// The current row's column of that name and type.
template <typename T> const T& column(const char* name)
{
    return *static_cast<const T*>(QTest::qData(name, qMetaTypeId<T>()));
}

// The two columns of a one-argument rule's table, as compareRule reads them.
template <typename Value, typename Expected = QString> void addRuleColumns()
{
    QTest::addColumn<Value>("value");
    QTest::addColumn<Expected>("expected");
}

// Compares rule(value) with expected. Value and Expected are the columns' types; an overloaded
// rule is picked with qOverload<Value>. A table that checks several rules names their columns.
template <typename Value, typename Expected = QString, typename Rule>
void compareRule(Rule rule, const char* valueColumn = "value",
                 const char* expectedColumn = "expected")
{
    QCOMPARE(rule(column<Value>(valueColumn)), column<Expected>(expectedColumn));
}

// For a rule that may give nothing: whether rule(value) gives a value, and then which.
template <typename Value, typename Expected, typename Rule>
void compareOptionalRule(Rule rule, const char* valueColumn = "value",
                         const char* givenColumn = "given", const char* expectedColumn = "expected")
{
    const auto result = rule(column<Value>(valueColumn));
    QCOMPARE(result.has_value(), column<bool>(givenColumn));
    if (result)
        QCOMPARE(*result, column<Expected>(expectedColumn));
}
