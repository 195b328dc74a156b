#include "requesthandler.h"

#include "accounts.h"
#include "catalog.h"
#include "core/files.h"
#include "orderstore.h"
#include "requests.h"

using namespace Qt::StringLiterals;

namespace {

const QString AccountNotOnFile = u"Account not on file"_s;

demo::Reply error(const QString& kind, const QString& reason, const QString& outcome = {})
{
    return {files::toAnsi(QString(u"<E>,"_s + reason)), kind,
            outcome.isEmpty() ? u"error: "_s + reason : outcome};
}

} // namespace

demo::RequestHandler::RequestHandler(const Catalog& catalog, const Accounts& accounts,
                                     OrderStore& orders)
    : m_catalog(catalog)
    , m_accounts(accounts)
    , m_orders(orders)
{ }

demo::Reply demo::RequestHandler::handle(QByteArrayView request)
{
    // Blanks and line ends around a request are dropped, so a hand-typed request works too.
    const QString text = files::fromAnsi(request).trimmed();
    switch (requestKind(request.trimmed())) {
    case RequestKind::LoginTest:
        return loginTest(text);
    case RequestKind::Inquiry:
        return inquiry(text);
    case RequestKind::Order:
        return order(text);
    case RequestKind::Unknown:
        break;
    }
    return error(u"?"_s, u"Unknown request"_s);
}

demo::Reply demo::RequestHandler::loginTest(const QString& request)
{
    const auto identity = readIdentity(request);
    if (!identity)
        return error(u"V"_s, u"Malformed login test"_s);
    const QString who = identity->account + u'/' + identity->login;
    if (!m_accounts.contains(identity->account, identity->login))
        return error(u"V"_s, AccountNotOnFile, u"refused "_s + who);
    return {QByteArrayLiteral("<V>"), u"V"_s, u"passed "_s + who};
}

demo::Reply demo::RequestHandler::inquiry(const QString& request)
{
    const auto identity = readIdentity(request);
    if (!identity)
        return error(u"I"_s, u"Malformed inquiry"_s);
    if (!m_accounts.contains(identity->account, identity->login))
        return error(u"I"_s, AccountNotOnFile,
                     u"refused "_s + identity->account + u'/' + identity->login);
    const QString part = identity->rest.toUpper();
    if (part.isEmpty())
        return error(u"I"_s, u"No part number"_s);
    const QStringList records = m_catalog.answerRecords(part);
    if (records.isEmpty())
        return {QByteArrayLiteral("<NF>"), u"I"_s, u"not found "_s + part};
    const QString answer = records.join(QString()) + u"<V>,"_s + m_clientVersion;
    return {files::toAnsi(answer), u"I"_s,
            u"found %1 (%2 records)"_s.arg(part).arg(records.size())};
}

demo::Reply demo::RequestHandler::order(const QString& request)
{
    const OrderReading reading = readOrder(request);
    if (!reading.order)
        return error(u"O"_s, reading.error);
    const Order& order = *reading.order;
    if (!m_accounts.contains(order.account, order.login))
        return error(u"O"_s, AccountNotOnFile,
                     u"refused order of "_s + order.account + u'/' + order.login);
    const OrderStore::Result stored = m_orders.store(order, m_clock());
    if (stored.number == 0)
        return error(u"O"_s, u"Order could not be stored"_s, u"not stored: "_s + stored.error);
    return {u"<O>,%1"_s.arg(stored.number).toLatin1(), u"O"_s,
            u"stored order %1 of %2/%3 (%4 lines)"_s.arg(stored.number)
                .arg(order.account, order.login)
                .arg(order.lines.size())};
}
