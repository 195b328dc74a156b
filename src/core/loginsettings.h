#pragma once
// Rules of the login settings: which login names and account numbers the server accepts, the
// login-test request, and the two files by which the supplier moves the client to another server
// (the keyword file Vornikupdate.TXT and the two-field LOGIN_UPDATE.INF).

#include <QString>
#include <QStringView>

#include <optional>

namespace loginsettings {

inline constexpr qsizetype MinLoginLength = 4;
inline constexpr qsizetype MaxLoginLength = 12;

// The login name as it is stored: upper-cased, blanks around it removed.
[[nodiscard]] QString cleanLoginName(QStringView typed);
// 4 to 12 characters once cleaned.
[[nodiscard]] bool isValidLoginName(QStringView typed);
// The numeric value of the trimmed text's leading number lies between 1 and 9999 inclusive, so
// 0042 and 42AB pass while 0, 10000 and a text without a leading number do not.
[[nodiscard]] bool isValidAccount(QStringView typed);

// "<V>,account,login," with both values trimmed; the request ends with a comma.
[[nodiscard]] QString loginTestRequest(QStringView account, QStringView login);

// ---- Vornikupdate.TXT ------------------------------------------------------------------------
// The values a keyword file gave; a key that did not occur stays empty (nothing).
struct HostUpdate
{
    std::optional<QString> url;
    std::optional<QString> socket;
    std::optional<QString> notes;
};

// Reads "key:value" lines. Each line loses its outer blanks; lines without a colon are skipped;
// the key (before the first colon) is lower-cased but not trimmed, so "url :" is not "url"; the
// value is trimmed and lower-cased. A later line with the same key wins.
[[nodiscard]] HostUpdate parseHostUpdate(QStringView content);

// A server address is taken when it is longer than five characters.
[[nodiscard]] bool urlApplies(QStringView url);
// A port is taken when the numeric value of its leading number is above 0.
[[nodiscard]] bool socketApplies(QStringView socket);

// The box shown after a keyword file was read: the heading line, a line for the address and one
// for the port when they were taken, then the notes text without a line end.
[[nodiscard]] QString hostUpdateMessage(QStringView url, QStringView socket, QStringView notes);

// ---- LOGIN_UPDATE.INF ------------------------------------------------------------------------
struct LoginUpdate
{
    QString content; // the new Login.Inf: every field followed by a comma, no line end
    QString changes; // the "old SERVER: ..." and "old PORT: ..." lines, each with CR LF
    QString failure; // why the update cannot be applied; empty when it can
    [[nodiscard]] bool ok() const { return failure.isEmpty(); }
};

// Applies the update file's two fields (new server, new port; an empty one leaves that setting
// alone) to the first line of Login.Inf, which is split at every comma without regard to quotes.
// The replaced fields 1 and 5 are written bare, the others exactly as stored.
[[nodiscard]] LoginUpdate applyLoginUpdate(QStringView loginContent, QStringView updateContent);

// The notice shown once the update was written.
[[nodiscard]] QString updatedNotice(QStringView changes);
// The one-sentence notice when the update could not be applied; reason completes "because ...".
[[nodiscard]] QString notAppliedNotice(QStringView reason);

} // namespace loginsettings
