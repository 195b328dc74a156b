#include "core/settingsfile.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace {

bool isLineEnd(QChar ch)
{
    return ch == u'\r' || ch == u'\n';
}

} // namespace

settingsfile::FieldReader::FieldReader(QString content)
    : m_text(std::move(content))
{ }

std::optional<QString> settingsfile::FieldReader::next()
{
    const qsizetype size = m_text.size();
    while (m_pos < size && m_text[m_pos] == u' ')
        ++m_pos;
    if (m_pos >= size)
        return std::nullopt; // nothing but blanks was left

    QString field;
    qsizetype stop = m_pos; // where the field's delimiter search starts
    if (m_text[m_pos] == u'"') {
        const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
        if (close < 0) {
            // An unclosed quote runs to the end of the text.
            field = m_text.sliced(m_pos + 1);
            m_pos = size;
            return field;
        }
        field = m_text.sliced(m_pos + 1, close - m_pos - 1);
        stop = close + 1;
    }

    qsizetype end = stop;
    while (end < size && m_text[end] != u',' && !isLineEnd(m_text[end]))
        ++end;
    if (stop == m_pos) {
        // A bare field: up to the delimiter, trailing blanks removed.
        qsizetype last = end;
        while (last > m_pos && m_text[last - 1] == u' ')
            --last;
        field = m_text.sliced(m_pos, last - m_pos);
    }

    // Consume the delimiter: a comma, or a line end of CR LF, a lone CR or a lone LF.
    if (end < size && m_text[end] == u'\r' && end + 1 < size && m_text[end + 1] == u'\n')
        end += 2;
    else if (end < size)
        end += 1;
    m_pos = end;
    return field;
}

QString settingsfile::loginRecord(QStringView host, QStringView login, QStringView account,
                                  QStringView port)
{
    QString out;
    const auto quoted = [&out](QStringView value) {
        out += u'"';
        out += value;
        out += u'"';
    };
    quoted(host);
    out += u',';
    quoted(login);
    out += u',';
    quoted(account);
    out += u",\"\","_s;
    quoted(port);
    out += u",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s;
    return out;
}

QString settingsfile::optionsRecord(QStringView businessName, int poRequired, int standingFlag,
                                    QStringView standingNumber, int repRequired)
{
    QString out;
    out += u'"';
    out += businessName;
    out += u"\","_s;
    out += QString::number(poRequired);
    out += u',';
    out += QString::number(standingFlag);
    out += u",\""_s;
    out += standingNumber;
    out += u"\","_s;
    out += QString::number(repRequired);
    out += u",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s;
    return out;
}

QString settingsfile::firstRunMarker()
{
    return u"       \r\n"_s;
}
