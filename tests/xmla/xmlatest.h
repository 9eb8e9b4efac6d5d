#pragma once

// What the XMLA tests share: the recorded answers of the Mondrian server read into a model as a
// live read would, and the changes from the schema file that both roads (recorded, live) must show.

#include "diff/difftext.h"
#include "diff/servercompare.h"
#include "external/readers/mondrianschema.h"
#include "external/xmla/rowsetmodel.h"
#include "external/xmla/xmlaresponse.h"
#include "model/servermodel.h"
#include "tests/schemas/schematest.h"
#include "tests/support/testsupport.h"

#include <QFile>
#include <QStringList>
#include <algorithm>

namespace Lorvantic::Test {

// The bytes of a recorded answer, fed to reader in pieces of chunk bytes.
inline void feed(Olap::Xmla::ResponseReader& reader, const QByteArray& bytes, qsizetype chunk) {
    for (qsizetype at = 0; at < bytes.size(); at += chunk)
        reader.addData(QByteArrayView(bytes).sliced(at, std::min(chunk, bytes.size() - at)));
    reader.finish();
}

// A DISCOVER answer holding these rows.
inline QByteArray answerWithRows(const QByteArray& rows) {
    return "<?xml version=\"1.0\"?><SOAP-ENV:Envelope "
           "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">"
           "<SOAP-ENV:Body><DiscoverResponse xmlns=\"urn:schemas-microsoft-com:xml-analysis\"><return>"
           "<root xmlns=\"urn:schemas-microsoft-com:xml-analysis:rowset\">" +
           rows + "</root></return></DiscoverResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

// Compares bytes with their golden file under tests/data/xmla; LORVANTIC_UPDATE_GOLDEN=1 rewrites it.
inline void expectGolden(const QByteArray& actual, const QString& name) {
    const QString golden = dataPath(QStringLiteral("xmla/") + name);
    if (qEnvironmentVariableIsSet("LORVANTIC_UPDATE_GOLDEN"))
        writeBytes(golden, actual);
    EXPECT_EQ(actual.toStdString(), readBytes(golden).toStdString()) << name.toStdString();
}

inline QByteArray recorded(const char* name) {
    return readBytes(dataPath(QStringLiteral("xmla/") + QLatin1String(name) + QStringLiteral(".xml")));
}

// FoodMart as the recorded catalogue-wide answers give it.
inline Olap::ServerData recordedFoodMart(const QDateTime& cap = {}) {
    using namespace Olap::Xmla;
    DatabaseBuilder builder(QStringLiteral("FoodMart"), QStringLiteral("T"), cap);
    const auto read = [&](const char* file, const Rowset& rowset, void (DatabaseBuilder::*add)(const Row&)) {
        ResponseReader reader(
            rowset.columns, [&](const Row& row) { (builder.*add)(row); }, QStringLiteral("T"));
        feed(reader, recorded(file), 4096);
    };
    ResponseReader catalogs(
        CatalogsRowset().columns, [&](const Row& row) { builder.setRoles(row[1]); }, QStringLiteral("T"));
    feed(catalogs, recorded("discover-catalogs"), 4096);
    read("discover-cubes", CubesRowset(), &DatabaseBuilder::addCube);
    read("discover-dimensions-catalog", DimensionsRowset(), &DatabaseBuilder::addDimension);
    read("discover-levels-catalog", LevelsRowset(), &DatabaseBuilder::addLevel);
    read("discover-properties-catalog", PropertiesRowset(), &DatabaseBuilder::addProperty);
    read("discover-measures-catalog", MeasuresRowset(), &DatabaseBuilder::addMeasure);
    Olap::ServerData server;
    server.name = QStringLiteral("recorded");
    server.databases.push_back(builder.build());
    return server;
}

inline Olap::ServerData foodMartFile() {
    QFile file(QStringLiteral(LORVANTIC_SOURCE_DIR "/samples/servers/FoodMart.xml"));
    file.open(QIODevice::ReadOnly);
    return Olap::ReadMondrianSchema(file, QStringLiteral("FoodMart.xml"));
}

// The changes a reader of the reports sees from FoodMart read as a schema file to server: what
// the rowsets cannot carry (tests/data/xmla/foodmart-diff.txt, doc/xmla.md).
inline QString changesFromFoodMartFile(const std::shared_ptr<Olap::Server>& server) {
    return Diff::DiffText(
        Diff::CompareServers(Olap::ServerFromModel(std::make_shared<Olap::ServerData>(foodMartFile())),
                             server, {ReportKind::Cubes, ReportKind::Dimensions, ReportKind::Roles}));
}

} // namespace Lorvantic::Test
