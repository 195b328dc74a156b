#pragma once
// The quick-order pad's lines and their check: each valid line is looked up with the ordinary
// inquiry request, up to four at once, and judged by its answer. Shows nothing itself.

#include "core/quicklist.h"

#include <QHash>
#include <QList>
#include <QObject>

class PartLookups;

class QuickCheck : public QObject
{
    Q_OBJECT

public:
    explicit QuickCheck(PartLookups& lookups, QObject* parent = nullptr);
    ~QuickCheck() override;

    [[nodiscard]] const QList<quicklist::PadLine>& lines() const { return m_lines; }
    // Adds lines after the others, as many as the pad holds; returns how many did not fit.
    qsizetype append(const QList<quicklist::Line>& lines);
    // Edits, removals and choices; ignored while a check runs.
    void editPart(qsizetype index, const QString& part);
    void editQuantity(qsizetype index, const QString& quantity);
    void remove(qsizetype index);
    void choose(qsizetype index, int choice);

    // Looks up every valid line not yet judged; when all are, every valid line again (today's
    // prices). Account and login as the inquiry sends them.
    void check(const QString& account, const QString& login);
    // Stops the check; what was found stays.
    void stop();
    [[nodiscard]] bool checking() const { return !m_pending.isEmpty() || !m_inFlight.isEmpty(); }

signals:
    void lineChanged(qsizetype index);
    void linesChanged();                  // lines added or removed
    void progress(int number, int total); // "Looking up number of total"
    void finished(bool stopped);

private:
    void startNext();
    void judged(qsizetype index, const QString& reply);
    void failed(qsizetype index, const QString& failure);
    void refreshDuplicates();

    PartLookups& m_lookups;
    QList<quicklist::PadLine> m_lines;
    QString m_account, m_login;
    QList<qsizetype> m_pending;           // lines still to be looked up, in order
    QHash<quint64, qsizetype> m_inFlight; // look-up id -> line
    int m_started = 0, m_total = 0;
};
