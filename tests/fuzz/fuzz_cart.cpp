// MyOrder.dat as it may lie in the folder: its lines loaded into the cart, the totals, and the
// order message built from them.
#include "core/order.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = files::splitLines(fuzzText(data, size));
    (void)order::subTotal(lines);
    for (const QString& line : lines)
        (void)order::totalField(line);
    (void)order::orderMessage(u"1234", u"JSMITH", u"JOE", u"PO77", u"RUSH", lines);
    if (!lines.isEmpty())
        (void)order::orderLine(lines.first(), 2.0f);
    return 0;
}
