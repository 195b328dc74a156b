// A server reply through the dispatcher's pure steps: the reply kind, the records, their tags,
// the version compare and the answer rows with working values carried from record to record.
#include "core/answer.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString reply = fuzzText(data, size);
    if (answer::replyKind(reply) == answer::ReplyKind::ServerError)
        (void)answer::serverErrorText(reply);
    answer::RowWorkingValues values;
    QString stage;
    QString tag;
    for (const QString& record : answer::splitRecords(reply)) {
        values.availabilityNote.clear();
        const QStringList fields = answer::splitFields(record);
        if (const auto found = answer::recordTag(fields))
            tag = *found;
        if (answer::isDisplayTag(tag)) {
            const answer::RowResult result = answer::buildAnswerRow(tag, fields, values, stage);
            if (result.row && !result.row->startsWith(values.note))
                __builtin_trap(); // a row always begins with its note
        } else if (tag == u"V>" && fields.size() > 1) {
            (void)answer::isNewerVersion(fields.at(1), u"23.07.13");
        }
    }
    return 0;
}
