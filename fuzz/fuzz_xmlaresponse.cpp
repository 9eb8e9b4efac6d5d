// Any bytes a server may send as its answer either give rows and a model or are refused with a
// clear error, whatever pieces they arrive in. The input's size picks the rowset and the size of
// the pieces, so that the recorded answers serve as seeds unchanged.

#include "external/readers/asslschema.h"
#include "external/xmla/rowsetmodel.h"
#include "external/xmla/xmlaresponse.h"
#include "model/error.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

using namespace Lorvantic;
using namespace Lorvantic::Olap::Xmla;

namespace {

using Add = void (DatabaseBuilder::*)(const Row&);

struct Kind {
    const Rowset& rowset;
    Add add;
};

void readDefinition(const QString& xml) {
    QByteArray bytes = xml.toUtf8();
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    (void)Olap::ReadAsslDatabase(device, QStringLiteral("Fuzz"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Kind kinds[] = {
        {CatalogsRowset(), nullptr},
        {CubesRowset(), &DatabaseBuilder::addCube},
        {DimensionsRowset(), &DatabaseBuilder::addDimension},
        {LevelsRowset(), &DatabaseBuilder::addLevel},
        {PropertiesRowset(), &DatabaseBuilder::addProperty},
        {MeasuresRowset(), &DatabaseBuilder::addMeasure},
        {MetadataRowset(), nullptr},
    };
    constexpr size_t KindCount = sizeof(kinds) / sizeof(kinds[0]);
    const Kind& kind = kinds[size % KindCount];
    const qsizetype piece = static_cast<qsizetype>((size / KindCount) % 251 + 1);
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        DatabaseBuilder builder(QStringLiteral("FoodMart"), QStringLiteral("Fuzz"));
        ResponseReader reader(
            kind.rowset.columns,
            [&](const Row& row) {
                if (kind.add)
                    (builder.*kind.add)(row);
                else if (&kind.rowset == &CatalogsRowset())
                    builder.setRoles(row[1]);
                else
                    readDefinition(row[0]);
            },
            QStringLiteral("Fuzz"));
        for (qsizetype at = 0; at < bytes.size(); at += piece)
            reader.addData(bytes.sliced(at, std::min(piece, bytes.size() - at)));
        reader.finish();
        Olap::ServerData server;
        server.databases.push_back(builder.build());
        // The model handed on must hold together.
        if (!Olap::FindBrokenReference(server).isEmpty())
            __builtin_trap();
    } catch (const Error& error) {
        if (error.number() != ErrorNumber::BadDescription)
            __builtin_trap();
    }
    return 0;
}
