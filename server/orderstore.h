#pragma once
// The orders the server has confirmed, kept in an SQLite file.

#include "requests.h"

#include <QDateTime>
#include <QString>

namespace demo {

class OrderStore
{
public:
    // Order numbers start here and only grow, also across restarts and deleted rows.
    static constexpr int FirstOrderNumber = 1001;
    // The client reads the confirmed number as a 32-bit integer and keeps the cart (so the order
    // would be sent again) when it does not fit, so no larger number is issued.
    static constexpr int LastOrderNumber = 2147483647;

    explicit OrderStore(QString path);
    ~OrderStore();
    OrderStore(const OrderStore&) = delete;
    OrderStore& operator=(const OrderStore&) = delete;

    // Opens the file, creating it and its tables on first use. Empty on success, else why not.
    [[nodiscard]] QString open();
    void close();

    struct Result
    {
        int number = 0; // the new order number; 0 when nothing was stored
        QString error;
    };
    // Stores the order and its lines in one transaction: all of it, or nothing.
    [[nodiscard]] Result store(const Order& order, const QDateTime& received);

private:
    QString m_path;
    QString m_connection;
};

} // namespace demo
