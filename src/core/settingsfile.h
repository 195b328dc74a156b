#pragma once
// Login.Inf and Options.Inf: one line of comma-separated fields, text fields in double quotes,
// number fields bare, ended by CR LF. The reader also takes the rewritten form of Login.Inf left
// by a connection update (some fields bare, a comma after every field, no line end).

#include <QString>
#include <QStringView>

#include <optional>

namespace settingsfile {

// Reads fields one after another. Leading blanks of a field are skipped. A field that begins with
// a double quote runs to the next double quote; whatever follows it up to the next comma or line
// end is discarded. A bare field runs to the next comma or line end, trailing blanks removed.
// A line end is CR LF, a lone CR or a lone LF. next() gives nothing once the text is used up.
class FieldReader
{
public:
    explicit FieldReader(QString content);
    [[nodiscard]] std::optional<QString> next();

private:
    QString m_text;
    qsizetype m_pos = 0;
};

// The login record: 11 quoted fields (host, login, account, "", port, six empty), CR LF.
[[nodiscard]] QString loginRecord(QStringView host, QStringView login, QStringView account,
                                  QStringView port);

// The options record: 13 fields (name, po, standing flag, standing number, rep, eight empty),
// text fields quoted, numbers bare, CR LF.
[[nodiscard]] QString optionsRecord(QStringView businessName, int poRequired, int standingFlag,
                                    QStringView standingNumber, int repRequired);

// The nine bytes that mark a finished first run: seven blanks and CR LF.
[[nodiscard]] QString firstRunMarker();

} // namespace settingsfile
