#pragma once
// The reply dispatcher: the handling of every server reply by its tag (an inquiry answer, an
// order's confirmation, a login answer, an error, a version note), building the answer rows of an
// inquiry answer as its fields come in whole. The window shows what it signals.
//
// What is acted on when:
//   - "<V>" as soon as its three characters are in; "<O>", "<E>" and an empty reply once the
//     reply has ended, whole;
//   - in an inquiry answer a field is whole when a comma follows it or its record has ended (the
//     next "<", or the end of the reply); a row is shown once the fields it shows are whole, its
//     availability note once that field is whole, and "NF>" as soon as its tag is in;
//   - the ending steps (answerComplete) run once per reply, when its first rows are shown, or
//     when it ends without any.

#include "core/answer.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

class ReplyDispatcher : public QObject
{
    Q_OBJECT

public:
    explicit ReplyDispatcher(QObject* parent = nullptr);

    // Handles one whole reply of the current request.
    void GetInquiry(const QString& reply);
    // The reply of request id, all of it so far; ended: it is whole. current: it answers the
    // window's current request. A reply that begins while its request is no longer the current
    // one (an order's confirmation after a later request was started) does not reset the
    // order-entry panel and the status line, and shows no rows.
    void takeReply(quint64 id, const QString& reply, bool ended, bool current);

    // The server announced a newer version, or the user asked to update (Force Update): the
    // shut-down notice tells where to get it.
    [[nodiscard]] bool newVersionFlag() const { return m_newVersionFlag; }
    void setNewVersionFlag() { m_newVersionFlag = true; }
    // The notice shown at shut-down; empty when there is no new version.
    [[nodiscard]] QString unloadNotice() const;

signals:
    void replyStarted(); // other handlers may run in its slot
    void emptyReply();
    void orderConfirmation(quint64 id, const QString& reply);
    void loginPassed();
    void serverError(const QString& message);
    void partNotFound();
    void answerRow(const QString& row, quint32 colour);
    void newVersionAvailable();
    // A step of the reply handling failed and was skipped; only trace mode shows where.
    void stepFailed(const QString& stage);
    // Once per inquiry answer: its first rows are shown, or it ended without rows.
    void answerComplete();

private:
    // How far one reply has been handled.
    struct Record
    {
        bool tagKnown = false;
        QString tag;
        bool rowShown = false;
        bool noteShown = false;
        bool versionRead = false;
    };
    struct Progress
    {
        bool current = false; // it began as the reply of the window's current request
        bool decided = false; // the kind is known (three characters are in, or it has ended)
        answer::ReplyKind kind = answer::ReplyKind::Inquiry;
        bool finished = false;  // handled for good: a box was shown, or not found
        bool completed = false; // the ending steps have run
        qsizetype next = -1;    // the "<" of the record being taken in; -1: none yet
        Record record;
        QString stage;
        int rows = 0; // rows shown
    };

    void continueReply(quint64 id, const QString& reply, bool ended);
    // Acts on what is whole of one record. False: not found, the reply ends here.
    bool takeRecord(Progress& progress, QStringView text, bool recordEnded);
    void AddAnswerRows(Progress& progress, const QString& tag, const QStringList& fields,
                       bool recordEnded);

    std::map<quint64, Progress> m_replies; // the replies being taken in, by request
    bool m_newVersionFlag = false;
};
