#include "core/loginsettings.h"

#include "core/files.h"
#include "core/numbers.h"
#include "core/settingsfile.h"
#include "core/text.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

const QString CrLf = u"\r\n"_s;

// A value written bare into the comma-separated Login.Inf line must not split or end it, nor
// carry a character the 8-bit file cannot hold.
bool fitsBare(QStringView value)
{
    for (const QChar ch : value) {
        const char16_t c = ch.unicode();
        if (c == u',' || c == u'"' || c < 0x20 || (c >= 0x7F && c < 0xA0))
            return false;
    }
    return files::fromAnsi(files::toAnsi(value)) == value;
}

// A server address no longer than a host name can be; a longer one can never connect.
bool possibleHost(QStringView value)
{
    return text::trimBlanks(value).size() <= 253;
}

// A port the reader of Login.Inf turns into a 16-bit base port above 0 (it reads the leading
// number; a text without one reads as 0, which is no port, as for the keyword file's socket).
bool readablePort(QStringView value)
{
    const std::optional<qint16> port = numbers::toInt16(numbers::numericValue(value));
    return port && *port > 0;
}

} // namespace

QString loginsettings::cleanLoginName(QStringView typed)
{
    return text::trimBlanks(text::toUpper8Bit(typed));
}

bool loginsettings::isValidLoginName(QStringView typed)
{
    const qsizetype length = cleanLoginName(typed).size();
    return length >= MinLoginLength && length <= MaxLoginLength;
}

bool loginsettings::isValidAccount(QStringView typed)
{
    const double value = numbers::numericValue(text::trimBlanks(typed));
    return value >= 1 && value <= 9999;
}

QString loginsettings::loginTestRequest(QStringView account, QStringView login)
{
    return u"<V>,"_s + text::trimBlanks(account) + u',' + text::trimBlanks(login) + u',';
}

loginsettings::HostUpdate loginsettings::parseHostUpdate(QStringView content)
{
    HostUpdate update;
    for (const QString& raw : files::splitLines(content)) {
        const QString line = text::trimBlanks(raw);
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            continue;
        const QString key = line.left(colon).toLower();
        const QString value = text::trimBlanks(QStringView(line).sliced(colon + 1)).toLower();
        if (key == u"url"_s)
            update.url = value;
        else if (key == u"socket"_s)
            update.socket = value;
        else if (key == u"notes"_s)
            update.notes = value;
    }
    return update;
}

bool loginsettings::urlApplies(QStringView url)
{
    return url.size() > 5;
}

bool loginsettings::socketApplies(QStringView socket)
{
    return numbers::numericValue(socket) > 0;
}

QString loginsettings::hostUpdateMessage(QStringView url, QStringView socket, QStringView notes)
{
    QString message = u"** HOST CONNECTION INFO UPDATED ** "_s + CrLf;
    if (urlApplies(url))
        message += u"New Host Addr: "_s + url.toString() + CrLf;
    if (socketApplies(socket))
        message += u"New Socket #: "_s + socket.toString() + CrLf;
    message += notes;
    return message;
}

loginsettings::LoginUpdate loginsettings::applyLoginUpdate(QStringView loginContent,
                                                           QStringView updateContent)
{
    LoginUpdate result;
    const QStringList lines = files::splitLines(loginContent);
    const QString firstLine = lines.isEmpty() ? QString() : lines.first();
    if (firstLine.isEmpty()) {
        result.failure = u"Login.Inf is empty"_s;
        return result;
    }
    QStringList fields = firstLine.split(u',');

    settingsfile::FieldReader reader(updateContent.toString());
    const std::optional<QString> newServer = reader.next();
    const std::optional<QString> newPort = newServer ? reader.next() : std::nullopt;
    if (!newServer || !newPort) {
        result.failure = u"LOGIN_UPDATE.INF holds fewer than two fields"_s;
        return result;
    }
    const bool serverGiven = !text::trimBlanks(*newServer).isEmpty();
    const bool portGiven = !text::trimBlanks(*newPort).isEmpty();
    if ((serverGiven && !fitsBare(*newServer)) || (portGiven && !fitsBare(*newPort))) {
        result.failure = u"a value in LOGIN_UPDATE.INF contains a comma, a double quote, a line "
                         "break or another control character"_s;
        return result;
    }
    if (serverGiven && !possibleHost(*newServer)) {
        result.failure = u"the server address in LOGIN_UPDATE.INF is longer than 253 characters"_s;
        return result;
    }
    if (portGiven && !readablePort(*newPort)) {
        result.failure = u"the port in LOGIN_UPDATE.INF is not a number from 1 to 32767"_s;
        return result;
    }
    if (portGiven && fields.size() < 5) {
        result.failure = u"Login.Inf has fewer than five fields, so it holds no port to replace"_s;
        return result;
    }

    if (serverGiven) {
        result.changes += u"old SERVER: "_s + fields[0] + u"   NEW SERVER: "_s + *newServer + CrLf;
        fields[0] = *newServer;
    }
    if (portGiven) {
        result.changes += u"old PORT: "_s + fields[4] + u"   NEW PORT: "_s + *newPort + CrLf;
        fields[4] = *newPort;
    }
    for (const QString& field : std::as_const(fields))
        result.content += field + u',';
    return result;
}

QString loginsettings::updatedNotice(QStringView changes)
{
    return u"NOTE: Connection information has been updated!"_s + CrLf + changes.toString();
}

QString loginsettings::notAppliedNotice(QStringView reason)
{
    return u"NOTE: The connection update in LOGIN_UPDATE.INF could not be applied because "_s
        + reason.toString() + u"; your connection settings are unchanged."_s;
}
