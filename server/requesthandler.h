#pragma once
// Answers one whole request: the reply bytes and a line for the log.

#include "core/version.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

namespace demo {

class Accounts;
class Catalog;
class OrderStore;

// The program version the server announces after every inquiry answer; the client shows an
// update notice when it is newer than its own.
inline constexpr QStringView ClientVersion = vornik::VersionText;

struct Reply
{
    QByteArray bytes;
    QString kind;    // V, I, O or ?
    QString outcome; // for the log
};

class RequestHandler
{
public:
    // All three must outlive the handler.
    RequestHandler(const Catalog& catalog, const Accounts& accounts, OrderStore& orders);

    void setClientVersion(const QString& version) { m_clientVersion = version; }
    // The time an order is received; tests may fix it.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    [[nodiscard]] Reply handle(QByteArrayView request);

private:
    [[nodiscard]] Reply loginTest(const QString& request);
    [[nodiscard]] Reply inquiry(const QString& request);
    [[nodiscard]] Reply order(const QString& request);

    const Catalog& m_catalog;
    const Accounts& m_accounts;
    OrderStore& m_orders;
    QString m_clientVersion = ClientVersion.toString();
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
};

} // namespace demo
