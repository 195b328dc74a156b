// Login.Inf and Options.Inf as they may lie in the folder, in either form: the first five
// fields read, the number fields converted as the settings loader does.
#include "core/numbers.h"
#include "core/settingsfile.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    settingsfile::FieldReader reader(fuzzText(data, size));
    for (int field = 0; field < 5; ++field) {
        const auto value = reader.next();
        if (!value)
            break;
        (void)numbers::toInt16(numbers::numericValue(*value));
    }
    // Reading on never loops forever or overruns: it ends.
    int more = 0;
    while (reader.next() && ++more < 1 << 20) { }
    return 0;
}
