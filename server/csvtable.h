#pragma once
// The small CSV tables the demo server keeps (catalog, accounts): one row a line, the first row a
// fixed heading, blank lines and lines starting with '#' skipped, CR LF or LF line ends.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

namespace demo {

// The file's text (UTF-8), or nothing with "path: reason" added to problems.
[[nodiscard]] std::optional<QString> readCsvFile(const QString& path, QStringList& problems);

// Calls row(lineNumber, line) for every data row after the heading; a heading that does not read
// as given is reported ("line N: the heading must read ...") and skipped. False when the text has
// no heading at all.
bool forEachCsvRow(QStringView csv, QStringView heading, QStringList& problems,
                   const std::function<void(qsizetype lineNumber, QStringView line)>& row);

// Reads the file at path into table (table.parse(text)); the problems found, or the file's.
template <typename Table> QStringList loadCsvTable(Table& table, const QString& path)
{
    QStringList problems;
    const auto text = readCsvFile(path, problems);
    return text ? table.parse(*text) : problems;
}

} // namespace demo
