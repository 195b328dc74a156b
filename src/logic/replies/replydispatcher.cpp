// The reply dispatcher: each reply taken in by its tag, and the answer rows built from it.
#include "logic/replies/replydispatcher.h"

#include "core/text.h"
#include "core/version.h"

using namespace Qt::StringLiterals;

namespace {

// The fields of a display record that its row shows: 0 to 10 (11 is the availability note).
constexpr qsizetype RowFields = 11;
// GetInquiry's reply has no request of the link (whose ids start at 1).
constexpr quint64 WholeReply = 0;

} // namespace

ReplyDispatcher::ReplyDispatcher(QObject* parent)
    : QObject(parent)
{
    setObjectName(u"ReplyDispatcher"_s);
}

QString ReplyDispatcher::unloadNotice() const
{
    if (!m_newVersionFlag)
        return {};
    // No blank between the two sentences: the notice has always read this way.
    return u"A new update version is now available!"_s
        + u"Please visit our website to obtain the latest version."_s;
}

void ReplyDispatcher::GetInquiry(const QString& reply)
{
    m_replies.erase(WholeReply);
    takeReply(WholeReply, reply, true, true);
}

void ReplyDispatcher::takeReply(quint64 id, const QString& reply, bool ended, bool current)
{
    if (!m_replies.contains(id)) {
        Progress& progress = m_replies[id];
        progress.current = current;
        progress.stage = u"GetInquiry: Initial"_s;
        if (current) {
            // A new reply for the window: an answer still being taken in is no longer shown, and
            // its connection, like that of a reply handled for good, is closed.
            std::erase_if(m_replies, [id](const auto& entry) {
                return entry.first != id && entry.second.current
                    && (entry.second.kind == answer::ReplyKind::Inquiry || entry.second.finished);
            });
            // Other handlers may run in the window's slot; the server link hands on nothing
            // more of this reply until its handling has returned.
            emit replyStarted();
            if (!m_replies.contains(id))
                return;
        }
    }
    continueReply(id, reply, ended);
    // A reply handled for good is kept until it ends, so that what still comes is not taken
    // for a new reply.
    if (ended)
        m_replies.erase(id);
}

void ReplyDispatcher::continueReply(quint64 id, const QString& reply, bool ended)
{
    Progress& progress = m_replies.at(id);
    if (progress.finished)
        return;
    if (!progress.decided) {
        if (reply.size() < 3 && !ended)
            return; // "<O" may yet become "<O>"
        progress.decided = true;
        progress.kind = answer::replyKind(reply);
    }
    switch (progress.kind) {
    case answer::ReplyKind::Login:
        // No later byte can change it.
        progress.finished = true;
        emit loginPassed();
        return;
    case answer::ReplyKind::Empty:
        progress.finished = true;
        emit emptyReply();
        return;
    case answer::ReplyKind::Order:
    case answer::ReplyKind::ServerError:
        // Their text could still grow: taken whole, once.
        if (!ended)
            return;
        progress.finished = true;
        if (progress.kind == answer::ReplyKind::Order) {
            emit orderConfirmation(id, reply);
            return;
        }
        if (const auto text = answer::serverErrorText(reply)) {
            emit serverError(*text);
        } else {
            emit stepFailed(progress.stage); // no message field: the box comes up empty
            emit serverError(QString());
        }
        return;
    case answer::ReplyKind::Inquiry:
        break;
    }
    if (!progress.current) {
        progress.finished = true; // an answer to a request no longer shown
        return;
    }

    const int rowsBefore = progress.rows;
    if (progress.next < 0) {
        progress.stage = u"GetInquiry: Split Data"_s;
        progress.next = reply.indexOf(u'<'); // text before the first record is ignored
        progress.stage = u"GetInquiry: Parse Data"_s;
    }
    while (progress.next >= 0 && progress.next < reply.size()) {
        const qsizetype end = reply.indexOf(u'<', progress.next + 1);
        const bool recordEnded = end >= 0 || ended;
        const QStringView record = QStringView(reply).mid(
            progress.next + 1, (end >= 0 ? end : reply.size()) - progress.next - 1);
        if (!takeRecord(progress, record, recordEnded)) {
            progress.finished = true; // not found: nothing after it is looked at
            return;
        }
        if (end < 0)
            break;
        progress.next = end;
        progress.record = {};
    }
    // The ending steps, once: when the first rows are in (a whole reply: after all its records),
    // or at the end of an answer without rows.
    if (!progress.completed && (progress.rows > rowsBefore || ended)) {
        progress.completed = true;
        emit answerComplete();
    }
}

bool ReplyDispatcher::takeRecord(Progress& progress, QStringView text, bool recordEnded)
{
    Record& record = progress.record;
    // Trailing blanks cut off a record that has not ended yet only touch its last field, which
    // is not whole and not used.
    const QString trimmed = text::trimBlanks(text);
    const QStringList fields = answer::splitFields(trimmed);
    const qsizetype whole = recordEnded ? fields.size() : fields.size() - 1;

    if (!record.tagKnown) {
        if (fields.isEmpty()) {
            // An empty record ("<<", a final "<"): it has no tag and shows nothing.
            if (recordEnded)
                emit stepFailed(progress.stage);
            return true;
        }
        if (whole < 1 && fields.first().size() < 3)
            return true; // "P>" may yet become "P>X"
        record.tagKnown = true;
        record.tag = *answer::recordTag(fields);
        if (record.tag == u"NF>") {
            emit partNotFound();
            return false;
        }
    }
    if (answer::isDisplayTag(record.tag)) {
        AddAnswerRows(progress, record.tag, fields, recordEnded);
    } else if (record.tag == u"V>" && !record.versionRead && (whole >= 2 || recordEnded)) {
        record.versionRead = true;
        QString version;
        if (fields.size() > 1)
            version = fields.at(1); // untrimmed: a leading blank sorts before the digits
        else
            emit stepFailed(progress.stage);
        if (answer::isNewerVersion(version, vornik::VersionText)) {
            m_newVersionFlag = true;
            emit newVersionAvailable();
        }
    }
    return true;
}

void ReplyDispatcher::AddAnswerRows(Progress& progress, const QString& tag,
                                    const QStringList& fields, bool recordEnded)
{
    Record& record = progress.record;
    const qsizetype whole = recordEnded ? fields.size() : fields.size() - 1;
    if (!record.rowShown && (whole >= RowFields || recordEnded)) {
        record.rowShown = true;
        record.noteShown = recordEnded;  // the builder reads the note of an ended record itself
        answer::RowWorkingValues values; // this record's own: never another record's values
        const answer::RowResult result =
            answer::buildAnswerRow(tag, recordEnded ? fields : fields.mid(0, RowFields), values,
                                   progress.stage, recordEnded);
        for (const QString& failed : result.failedStages)
            emit stepFailed(failed);
        // A "nif" record off a "P>" tag has no row; the earlier row keeps its own colour.
        if (result.row) {
            ++progress.rows;
            emit answerRow(*result.row, result.colour);
        }
        if (!result.noteRow.isEmpty()) {
            ++progress.rows;
            emit answerRow(result.noteRow, answer::Black);
        }
        return;
    }
    if (record.rowShown && !record.noteShown && (whole > RowFields || recordEnded)) {
        record.noteShown = true;
        bool failed = false;
        const QString note = answer::availabilityNoteRow(fields, failed);
        if (failed)
            emit stepFailed(answer::DisplayDataStage.toString());
        if (!note.isEmpty()) {
            ++progress.rows;
            emit answerRow(note, answer::Black);
        }
    }
}
