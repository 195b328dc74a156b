#pragma once
// The part inquiry: the request for a typed part number, and the dispatch of every server reply
// by its tag, building the answer rows of an inquiry answer. The window shows what it signals.

#include "core/answer.h"

#include <QObject>
#include <QString>

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

signals:
    void replyStarted();
    void emptyReply();
    void orderConfirmation(const QString& reply);
    void loginPassed();
    void serverError(const QString& message);
    void partNotFound();
    void answerRow(const QString& row, quint32 colour);
    void newVersionAvailable();
    // A step of the reply handling failed and was skipped; only trace mode shows where.
    void stepFailed(const QString& stage);
    void answerComplete();

private:
    void AddAnswerRows(const QString& tag, const QStringList& fields);

    // Where the reply being handled stands.
    QString m_stage;
    // The row builder's values, carried from one display record to the next of one reply.
    answer::RowWorkingValues m_rows;
};
