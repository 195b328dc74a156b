#pragma once
// The cart: the order lines, mirrored into MyOrder.dat after every change, their totals, the
// saved-order check at start-up and the order number of the last confirmation. The window shows
// the lines; this object keeps them.

#include <QObject>
#include <QStringList>

#include <optional>

class Cart : public QObject
{
    Q_OBJECT

public:
    // folder: the program folder, ending in the separator.
    Cart(const QString& folder, QObject* parent);

    [[nodiscard]] QString orderFile() const { return m_orderFile; }
    [[nodiscard]] const QStringList& lines() const { return m_lines; }
    // Each line's list price, beside lines(): empty where unknown (a line read from MyOrder.dat,
    // which does not keep it).
    [[nodiscard]] const QStringList& listPrices() const { return m_listPrices; }
    [[nodiscard]] qsizetype count() const { return m_lines.size(); }

    // The 66-column order line for an answer row and a quantity; nothing when the quantity does
    // not fit its four columns (the message says why).
    struct Line
    {
        std::optional<QString> line;
        QString refusal;
    };
    [[nodiscard]] static Line orderLine(const QString& answerRow, double quantity);
    // Adds one order line with its list price ("" unknown); MyOrder.dat follows at SaveOrderFile.
    void append(const QString& line, const QString& listPrice = QString());
    // Adds several lines, each with its list price ("" unknown), and rewrites MyOrder.dat once.
    void addLines(const QStringList& lines, const QStringList& listPrices);
    void removeLine(qsizetype index);
    // Empties the cart and MyOrder.dat (a failure is signalled).
    void removeAll();
    // Empties the cart and MyOrder.dat once an order was sent. False when MyOrder.dat could not
    // be emptied: it still holds the sent order.
    [[nodiscard]] bool clear();
    // Once a confirmation came for an order that carried sent: one line equal to each of its
    // lines leaves the cart (lines added since stay) and MyOrder.dat follows. False when
    // MyOrder.dat could not be written.
    [[nodiscard]] bool removeSentLines(const QStringList& sent);

    // The line-item count and the sub-total, as shown.
    [[nodiscard]] QString itemCountText() const;
    [[nodiscard]] QString subTotalText() const;

    // Rewrites MyOrder.dat from the lines; an empty cart leaves the file alone.
    void SaveOrderFile();
    // Empties MyOrder.dat.
    void truncateOrderFile();

    struct SavedOrder
    {
        bool loaded = false;           // the cart holds lines read from MyOrder.dat
        qsizetype damaged = 0;         // lines too long to be order lines
        std::optional<QString> keptAs; // with damaged lines: the copy of the file as it was
    };
    // Reads MyOrder.dat (created empty when missing) into the cart. Lines too long to be order
    // lines are left out: the file as it was is first kept beside it (MyOrder.dat.damaged,
    // -2, ...), then MyOrder.dat is rewritten with the good lines. When no copy can be kept,
    // nothing is loaded and the file is left as it is.
    SavedOrder loadSavedOrder();
    // True until the saved-order check of the first tick has run.
    [[nodiscard]] bool savedOrderCheckDue() const { return m_checkForExistingOrder; }
    void savedOrderChecked() { m_checkForExistingOrder = false; }

    // The order message for the lines.
    [[nodiscard]] QString orderMessage(const QString& account, const QString& login,
                                       const QString& orderedBy, const QString& poNumber,
                                       const QString& notes) const;
    // Takes the confirmation's order number; nothing (and no change) when the reply has none.
    std::optional<qint32> takeConfirmation(const QString& reply);
    [[nodiscard]] qint32 orderNumber() const { return m_orderNumber; }

signals:
    // MyOrder.dat could not be replaced; the old file is kept and the lines stay as they are.
    // emptied: the cart had just been emptied, so the file still holds the lines removed.
    void saveFailed(bool emptied);

private:
    bool writeOrderFile(const QByteArray& bytes);
    [[nodiscard]] std::optional<QString> keepDamagedOrderFile(const QByteArray& bytes) const;

    QString m_orderFile;
    QStringList m_lines;
    QStringList m_listPrices; // as long as m_lines
    bool m_checkForExistingOrder = true;
    qint32 m_orderNumber = 0; // 32 bits: a confirmation above 32767 must not be dropped
};
