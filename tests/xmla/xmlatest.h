#pragma once

// What the XMLA tests share: the recorded answers of the Mondrian server read into a model as a
// live read would, and a model flattened into the facts both roads (schema file, live server)
// can state, so that their differences compare as one list.

#include "external/readers/mondrianschema.h"
#include "external/servermodel.h"
#include "external/xmla/rowsetmodel.h"
#include "external/xmla/xmlaresponse.h"
#include "tests/schemas/schematest.h"
#include "tests/support/testsupport.h"

#include <QFile>
#include <QSet>
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

// What the page shows for an aggregate function code.
inline QString functionText(qint32 code) {
    static const char* const texts[] = {"SUM", "COUNT", "MIN", "MAX"};
    return code >= 0 && code <= 3 ? QLatin1String(texts[code]) : QStringLiteral("NONE");
}

// One line per fact: cubes with their dimensions, roles, measures and calculated members;
// dimensions with their kind, type, levels (in order) and member properties; roles. Sorted, so
// that the order of the collections (which rowsets give sorted by name) does not count.
inline QStringList facts(const Olap::ServerData& server) {
    QStringList lines;
    for (const Olap::DatabaseData& database : server.databases) {
        const QString db = database.name + u'/';
        for (const Olap::DimensionData& d : database.dimensions) {
            lines << db + QStringLiteral("dimension %1 shared=%2 time=%3")
                              .arg(d.name)
                              .arg(d.shared)
                              .arg(d.dimensionType == 1);
            for (std::size_t i = 0; i < d.levels.size(); ++i) {
                const Olap::LevelData& l = d.levels[i];
                lines << db + QStringLiteral("dimension %1 level %2 %3 type=%4 hidden=%5")
                                  .arg(d.name)
                                  .arg(i + 1)
                                  .arg(l.name)
                                  .arg(l.levelType)
                                  .arg(l.hidden);
                for (const Olap::MemberPropertyData& p : l.memberProperties)
                    lines << db + QStringLiteral("dimension %1 level %2 property %3")
                                      .arg(d.name, l.name, p.name);
            }
        }
        for (const Olap::CubeData& c : database.cubes) {
            lines << db + QStringLiteral("cube %1 processed=%2").arg(c.name).arg(c.state != 0);
            for (const QString& d : c.dimensions)
                lines << db + QStringLiteral("cube %1 dimension %2").arg(c.name, d);
            for (const QString& r : c.roles)
                lines << db + QStringLiteral("cube %1 role %2").arg(c.name, r);
            for (const Olap::MeasureData& m : c.measures)
                lines << db + QStringLiteral("cube %1 measure %2 %3 format=%4 internal=%5")
                                  .arg(c.name, m.name, functionText(m.aggregateFunction), m.formatString)
                                  .arg(m.internal);
            for (const Olap::CommandData& k : c.commands)
                if (k.statement.startsWith(QLatin1String("CREATE MEMBER ")) &&
                    k.statement.contains(QLatin1String(".[Measures].")))
                    lines << db + QStringLiteral("cube %1 calculated measure %2").arg(c.name, k.name);
        }
        for (const Olap::RoleData& r : database.roles)
            lines << db + QStringLiteral("role %1").arg(r.name);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// "- fact" for what only the file road states, "+ fact" for what only the live road states.
inline QStringList differences(const Olap::ServerData& file, const Olap::ServerData& live) {
    const QStringList a = facts(file), b = facts(live);
    const QSet<QString> inA(a.begin(), a.end()), inB(b.begin(), b.end());
    QStringList out;
    for (const QString& line : a)
        if (!inB.contains(line))
            out << u"- "_qs + line;
    for (const QString& line : b)
        if (!inA.contains(line))
            out << u"+ "_qs + line;
    return out;
}

// The differences the two roads cannot avoid for FoodMart, kept as a data file.
inline QStringList expectedDifferences() {
    QStringList lines =
        QString::fromUtf8(readBytes(dataPath(QStringLiteral("xmla/foodmart-differences.txt"))))
            .split(u'\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString& line) { return line.startsWith(u'#'); });
    return lines;
}

} // namespace Lorvantic::Test
