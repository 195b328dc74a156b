// The trace switch and DataSend.log.
#include "logic/tracelog/tracelog.h"

#include "core/files.h"
#include "core/shellrules.h"
#include "core/text.h"

#include <QDate>
#include <QLocale>
#include <QTime>

using namespace Qt::StringLiterals;

TraceLog::TraceLog(const QString& folder, const QString& commandLine)
    : m_logFile(folder + u"DataSend.log"_s)
    , m_traceMode(text::trimBlanks(commandLine).toUpper() == u"T"_s)
{ }

bool TraceLog::TraceRequest(const QString& request) const
{
    const QLocale locale = QLocale::system();
    const QString date = locale.toString(QDate::currentDate(), QLocale::ShortFormat);
    const QString time = locale.toString(
        QTime::currentTime(), shellrules::traceTimeFormat(locale.timeFormat(QLocale::LongFormat)));
    return files::append(m_logFile, shellrules::traceRecord(date, time, request));
}
