// The part inquiry: request, reply dispatch and answer rows.
#include "inquiry/partinquiry.h"

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
    m_stage.clear();
    m_rows = {};
    emit replyStarted(); // other handlers may run meanwhile
    m_stage = u"GetInquiry: Initial"_s;

    switch (answer::replyKind(reply)) {
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
            emit stepFailed(m_stage); // no message field: the box comes up empty
        emit serverError(message);
        return;
    }
    case answer::ReplyKind::Inquiry:
        break;
    }

    m_stage = u"GetInquiry: Split Data"_s;
    const QStringList records = answer::splitRecords(reply);
    m_stage = u"GetInquiry: Parse Data"_s;

    QString tag;
    QString version;
    for (const QString& record : records) {
        m_rows.availabilityNote.clear();
        const QStringList fields = answer::splitFields(record);
        // An empty record has no tag: the previous one stays, so after a display record the
        // same row is shown again.
        if (const auto recordTag = answer::recordTag(fields))
            tag = *recordTag;
        else
            emit stepFailed(m_stage);

        if (tag == u"NF>") {
            emit partNotFound();
            return;
        }
        if (answer::isDisplayTag(tag)) {
            AddAnswerRows(tag, fields);
        } else if (tag == u"V>") {
            if (fields.size() > 1)
                version = fields.at(1); // untrimmed: a leading blank sorts before the digits
            else
                emit stepFailed(m_stage);
            if (answer::isNewerVersion(version, vornik::VersionText))
                emit newVersionAvailable();
        }
    }

    m_stage = u"GetInquiry: Parse Complete"_s;
    emit answerComplete();
}

void PartInquiry::AddAnswerRows(const QString& tag, const QStringList& fields)
{
    const answer::RowResult result = answer::buildAnswerRow(tag, fields, m_rows, m_stage);
    for (const QString& failed : result.failedStages)
        emit stepFailed(failed);
    // A "nif" record off a "P>" tag has no row; the earlier row keeps its own colour.
    if (result.row)
        emit answerRow(*result.row, result.colour);
    if (!result.noteRow.isEmpty())
        emit answerRow(result.noteRow, answer::Black);
}
