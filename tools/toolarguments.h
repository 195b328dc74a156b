#pragma once
// The command line of a tool: its arguments after the program's name when there are as many as it
// takes; otherwise the usage goes to standard error and there is nothing.

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <optional>

inline std::optional<QStringList> toolArguments(qsizetype count, const char* usage)
{
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() == count)
        return arguments;
    QTextStream(stderr) << "usage: " << usage << '\n';
    return std::nullopt;
}
