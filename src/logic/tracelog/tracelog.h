#pragma once
// The trace switch ("T" on the command line) and the trace log, DataSend.log in the program
// folder, to which every request is appended while the trace is on.

#include <QString>

class TraceLog
{
public:
    // folder: the program folder, ending in the separator. commandLine: the arguments after the
    // program's name.
    TraceLog(const QString& folder, const QString& commandLine);

    [[nodiscard]] bool traceMode() const { return m_traceMode; }
    [[nodiscard]] QString logFile() const { return m_logFile; }
    // Appends the request to the log; false when the log cannot be written.
    bool TraceRequest(const QString& request) const;

private:
    QString m_logFile;
    bool m_traceMode = false;
};
