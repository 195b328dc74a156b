#pragma once
// The part inquiry: the request for a typed part number, and the handling of every server reply
// by its tag, building the answer rows of an inquiry answer as its records come in. The window
// shows what it signals.

#include "core/answer.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class PartInquiry : public QObject
{
    Q_OBJECT

public:
    explicit PartInquiry(QObject* parent = nullptr);

    // What the typed part number asks for: the hidden keyword, nothing (an invalid number) or
    // the request to send.
    struct Request
    {
        bool hiddenKeyword = false;
        std::optional<QString> text;
    };
    [[nodiscard]] static Request request(const QString& account, const QString& login,
                                         const QString& typed);

    // Handles one whole reply: an order confirmation, a login-test answer, a server error or an
    // inquiry answer, whose records become rows.
    void GetInquiry(const QString& reply);
    // A reply, or more of it: every piece so far joined. first: a new reply begins; complete:
    // it has ended. Records are handled once they have ended (the next "<" is in), and the last
    // one again each time it grows, its earlier rows taken back.
    void takeReply(const QString& reply, bool first, bool complete);

signals:
    void replyStarted(); // other handlers may run in its slot
    void emptyReply();
    void orderConfirmation(const QString& reply);
    void loginPassed();
    void serverError(const QString& message);
    void partNotFound();
    void answerRow(const QString& row, quint32 colour);
    // The last rows shown belong to a record that has grown: they are shown again.
    void answerRowsTakenBack(int count);
    void newVersionAvailable();
    // A step of the reply handling failed and was skipped; only trace mode shows where.
    void stepFailed(const QString& stage);
    void answerComplete();

private:
    void beginReply();
    void continueReply(const QString& reply, bool complete);
    // One record, split into its fields. False: not found, the reply ends here.
    bool handleRecord(const QStringList& fields);
    void AddAnswerRows(const QString& tag, const QStringList& fields);
    void reportStep(const QString& stage);

    // Where the reply being handled stands.
    QString m_stage;
    // The row builder's values, carried from one display record to the next of one reply.
    answer::RowWorkingValues m_rows;
    // True while a record is shown ahead of its end: its failed steps are not reported.
    bool m_quiet = false;
    int m_rowsShown = 0; // rows signalled for this reply and not taken back

    // How far the reply being taken in has been handled.
    struct Progress
    {
        bool decided = false; // the kind is known (three characters are in, or it is whole)
        answer::ReplyKind kind = answer::ReplyKind::Inquiry;
        bool finished = false; // handled for good: a box was shown, or not found
        qsizetype next = -1;   // the "<" of the first record not yet ended; -1: none yet
        QString tag;           // carried from record to record, as the whole reply carries it
        QString version;
        QString stage; // the stage the records left behind
        // Before the last record was handled, to take it back when it grows.
        bool lastShown = false;
        int rowsBefore = 0;
        answer::RowWorkingValues valuesBefore;
        QString tagBefore;
        QString stageBefore;
    } m_progress;
};
