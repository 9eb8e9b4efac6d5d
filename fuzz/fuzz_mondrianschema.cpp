// Any bytes given to the reader either give a server or are refused with a clear error.

#include "external/readers/mondrianschema.h"
#include "fuzz/fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Lorvantic::Fuzz::ReadAll(data, size, [](QIODevice& device) {
        return Lorvantic::Olap::ReadMondrianSchema(device, QStringLiteral("Fuzz"),
                                                   QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    });
    return 0;
}
