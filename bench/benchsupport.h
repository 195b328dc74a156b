#pragma once
// Shared pieces of the benchmarks: the tests' seams that cost nothing (fakes.h), the window shown
// still, a median and the printed row.

#include "core/files.h"
#include "core/settingsfile.h"
#include "gui/mainform.h"
#include "support/controls.h"
#include "support/fakes.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>

// Writes Login.Inf (127.0.0.1:port, account 1234) and Options.Inf into the program folder, for
// the window's first tick to read. False when either cannot be written.
inline bool writeSettings(const QString& folder, quint16 port, QStringView login)
{
    const QString loginRecord =
        settingsfile::loginRecord(u"127.0.0.1", login, u"1234", QString::number(port));
    const QString optionsRecord = settingsfile::optionsRecord(u"ACME", 0, 0, u"", 0);
    return files::saveWhole(folder + QStringLiteral("/Login.Inf"), files::toAnsi(loginRecord))
               .isEmpty()
        && files::saveWhole(folder + QStringLiteral("/Options.Inf"), files::toAnsi(optionsRecord))
               .isEmpty();
}

// Shows the window with its timer stopped, so that only the measured work runs in it. False when
// the window was not exposed (said on stderr).
inline bool showStill(MainForm& form)
{
    control<QTimer>(form, "MiscTimer")->stop();
    form.show();
    if (QTest::qWaitForWindowExposed(&form))
        return true;
    std::fprintf(stderr, "window not exposed\n");
    return false;
}

inline double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

inline void printRow(const QString& what, double figure, const QString& unit, double reference,
                     double target)
{
    const double ratio = reference > 0 ? figure / reference : 0;
    QTextStream out(stdout);
    out << what << ": " << QString::number(figure, 'f', 2) << ' ' << unit << "  reference "
        << QString::number(reference, 'f', 2) << ' ' << unit << "  ratio "
        << QString::number(ratio, 'f', 2) << "  (target <= " << QString::number(target, 'f', 1)
        << ") " << (ratio <= target ? "met" : "MISSED") << Qt::endl;
}
