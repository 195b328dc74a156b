// The order confirmation "<O>,number" as a server may send it.
#include "core/order.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)order::confirmationNumber(fuzzText(data, size));
    return 0;
}
