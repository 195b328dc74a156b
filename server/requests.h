#pragma once
// Reading the client's requests: which kind, when the bytes form a whole one, and what they say.
//
// The client sends one request per connection with no length and no terminator, so the server
// decides when a request is complete:
//  - a login test "<V>,account,login," is complete once it holds its three commas;
//  - an order "<O>,...,<X>  End of Order" is complete once the end marker has arrived;
//  - anything else (an inquiry "<I>,account,login,PART" above all, whose part number has no end
//    of its own) is complete after a quiet time with no further bytes, a shorter one for an
//    inquiry;
//  - every request is complete when the peer shuts its sending side down.
// A partial login test or order that goes quiet is answered as it stands, which gets an error.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace demo {

enum class RequestKind { LoginTest, Inquiry, Order, Unknown };

[[nodiscard]] RequestKind requestKind(QByteArrayView request);

// Whether the bytes already hold a whole login test or order (see above).
[[nodiscard]] bool isWholeRequest(QByteArrayView request);

// The fields of "<V>,account,login," and "<I>,account,login,PART": nothing when the three
// commas are missing. The part number is everything after the third comma, so a part typed
// with a comma in it stays one (unknown) part number.
struct Identity
{
    QString account;
    QString login;
    QString rest;
};
[[nodiscard]] std::optional<Identity> readIdentity(QStringView request);

struct OrderLine
{
    QString quantity; // as sent: a positive number, possibly with decimals ("2", "1.5")
    QString lineCode;
    QString part;
    QString description;
    qint64 totalCents = 0;
};

struct Order
{
    QString account;
    QString login;
    QString orderedBy;
    QString purchaseOrder;
    QString notes;
    QList<OrderLine> lines;
};

// Either the order or the reason it was refused.
struct OrderReading
{
    std::optional<Order> order;
    QString error;
};

// "<O>,acc,login,orderedby,po,notes," then per line "<P> ,qty,lin,part,desc,total,,,," and last
// "<X>  End of Order". Every field is trimmed of blanks.
[[nodiscard]] OrderReading readOrder(QStringView request);

} // namespace demo
