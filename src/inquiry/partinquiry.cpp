// The part inquiry: request, reply handling and answer rows.
#include "inquiry/partinquiry.h"

#include "core/text.h"
#include "version.h"

using namespace Qt::StringLiterals;

PartInquiry::PartInquiry(QObject* parent)
    : QObject(parent)
{
    setObjectName(u"PartInquiry"_s);
}

PartInquiry::Request PartInquiry::request(const QString& account, const QString& login,
                                          const QString& typed)
{
    if (answer::isHiddenKeyword(typed))
        return {true, std::nullopt};
    return {false, answer::inquiryRequest(account, login, typed)};
}

void PartInquiry::GetInquiry(const QString& reply)
{
    beginReply();
    continueReply(reply, true);
}

void PartInquiry::takeReply(const QString& reply, bool first, bool complete)
{
    if (first)
        beginReply();
    continueReply(reply, complete);
}

void PartInquiry::reportStep(const QString& stage)
{
    if (!m_quiet)
        emit stepFailed(stage);
}

void PartInquiry::beginReply()
{
    m_stage.clear();
    m_rows = {};
    m_quiet = false;
    m_progress = {};
    m_rowsShown = 0;
    // Other handlers may run in the window's slot; the server link hands on nothing more until
    // this reply's handling has returned.
    emit replyStarted();
    m_stage = u"GetInquiry: Initial"_s;
}

void PartInquiry::continueReply(const QString& reply, bool complete)
{
    Progress& progress = m_progress;
    if (progress.finished)
        return;
    if (!progress.decided) {
        if (reply.size() < 3 && !complete)
            return; // "<O" may yet become "<O>"
        progress.decided = true;
        progress.kind = answer::replyKind(reply);
    }
    if (progress.kind != answer::ReplyKind::Inquiry) {
        // A box, an order number or a login result is shown once, from the whole text.
        if (!complete)
            return;
        progress.finished = true;
        switch (progress.kind) {
        case answer::ReplyKind::Empty:
            emit emptyReply();
            return;
        case answer::ReplyKind::Order:
            emit orderConfirmation(reply);
            return;
        case answer::ReplyKind::Login:
            emit loginPassed();
            return;
        case answer::ReplyKind::ServerError: {
            QString message;
            if (const auto text = answer::serverErrorText(reply))
                message = *text;
            else
                reportStep(m_stage); // no message field: the box comes up empty
            emit serverError(message);
            return;
        }
        case answer::ReplyKind::Inquiry:
            break;
        }
        return;
    }

    if (progress.next < 0) {
        m_stage = u"GetInquiry: Split Data"_s;
        progress.next = reply.indexOf(u'<'); // text before the first record is ignored
        m_stage = u"GetInquiry: Parse Data"_s;
        progress.stage = m_stage;
    } else if (progress.lastShown) {
        // The last record has grown (or may have): take back what it showed.
        if (m_rowsShown > progress.rowsBefore) {
            emit answerRowsTakenBack(m_rowsShown - progress.rowsBefore);
            m_rowsShown = progress.rowsBefore;
        }
        m_rows = progress.valuesBefore;
        progress.tag = progress.tagBefore;
        progress.stage = progress.stageBefore;
        progress.lastShown = false;
    }
    m_stage = progress.stage;

    if (progress.next >= 0) {
        // Records that have ended, one after another.
        forever {
            const qsizetype end = reply.indexOf(u'<', progress.next + 1);
            if (end < 0)
                break;
            const QString record = text::trimBlanks(
                QStringView(reply).mid(progress.next + 1, end - progress.next - 1));
            progress.next = end;
            if (!handleRecord(answer::splitFields(record))) {
                progress.finished = true;
                return;
            }
        }
        // The last record may still be cut. It is shown ahead of its end once all its prices
        // are in (a comma after the environmental charge), and finished when the reply is.
        const QString record = text::trimBlanks(QStringView(reply).mid(progress.next + 1));
        const QStringList fields = answer::splitFields(record);
        const auto tag = answer::recordTag(fields);
        const bool showAhead = fields.size() >= 12 && tag && answer::isDisplayTag(*tag);
        if (complete || showAhead) {
            progress.lastShown = true;
            progress.rowsBefore = m_rowsShown;
            progress.valuesBefore = m_rows;
            progress.tagBefore = progress.tag;
            progress.stageBefore = m_stage;
            m_quiet = !complete;
            const bool goOn = handleRecord(fields);
            m_quiet = false;
            if (!goOn) {
                progress.finished = true;
                return;
            }
        }
    }
    progress.stage = m_stage;

    m_stage = u"GetInquiry: Parse Complete"_s;
    emit answerComplete();
}

bool PartInquiry::handleRecord(const QStringList& fields)
{
    Progress& progress = m_progress;
    m_rows.availabilityNote.clear();
    // An empty record has no tag: the previous one stays, so after a display record the same
    // row is shown again.
    if (const auto recordTag = answer::recordTag(fields))
        progress.tag = *recordTag;
    else
        reportStep(m_stage);

    if (progress.tag == u"NF>") {
        emit partNotFound();
        return false;
    }
    if (answer::isDisplayTag(progress.tag)) {
        AddAnswerRows(progress.tag, fields);
    } else if (progress.tag == u"V>") {
        if (fields.size() > 1)
            progress.version = fields.at(1); // untrimmed: a leading blank sorts before the digits
        else
            reportStep(m_stage);
        if (answer::isNewerVersion(progress.version, vornik::VersionText))
            emit newVersionAvailable();
    }
    return true;
}

void PartInquiry::AddAnswerRows(const QString& tag, const QStringList& fields)
{
    const answer::RowResult result = answer::buildAnswerRow(tag, fields, m_rows, m_stage);
    for (const QString& failed : result.failedStages)
        reportStep(failed);
    // A "nif" record off a "P>" tag has no row; the earlier row keeps its own colour.
    if (result.row) {
        ++m_rowsShown;
        emit answerRow(*result.row, result.colour);
    }
    if (!result.noteRow.isEmpty()) {
        ++m_rowsShown;
        emit answerRow(result.noteRow, answer::Black);
    }
}
