// Any bytes given to the reader either give a server or are refused with a clear error.

#include "external/readers/serverdescription.h"
#include "fuzz/fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Lorvantic::Fuzz::ReadAll(data, size, [](QIODevice& device) {
        return Lorvantic::Olap::ReadJsonDescription(device, QStringLiteral("Fuzz"));
    });
    return 0;
}
