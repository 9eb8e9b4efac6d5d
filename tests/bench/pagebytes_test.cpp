// The quick paths of page writing give the bytes of the plain ones: the buffered page writer
// against one AppendLine per line, data rows against plain joining, and the pages of a
// generated server answered from the cube indexes against the same pages answered by walking.

#include "bench/generator.h"
#include "core/grids.h"
#include "cube/cubekind.h"
#include "dimension/dimensionkind.h"
#include "external/readers/serverdescription.h"
#include "report/reportfile.h"
#include "role/rolekind.h"
#include "tests/support/testsupport.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace Lorvantic;
using Lorvantic::Test::freshFolder;
using Lorvantic::Test::readBytes;

namespace {

QStringList awkwardLines() {
    QStringList lines = {
        QString(),
        QStringLiteral("<TR bgcolor='yellow'><TD vAlign='top'>Sales</TD></TR>"),
        QStringLiteral("Zürich & Köln <Forecast> ß é"),
        QString::fromUtf16(u"\u07FF\u0800\uFFFD\uFFFF 中文 \u00A0"),
        QString::fromUtf16(u"smile \U0001F600 and \U00010000"),
        QString(QChar(0xD800)) + QStringLiteral(" lone high"),
        QStringLiteral("lone low ") + QChar(0xDC00),
        QStringLiteral("ends high ") + QChar(0xDBFF),
        QStringLiteral("CR LF inside\r\nand a NUL ") + QChar(0),
        QString(300'000, u'x') + QStringLiteral("ü"), // longer than one buffered piece
    };
    // Each kind of unit at every place of a run of ASCII: ASCII goes several units at a time.
    for (const char16_t unit :
         {u'\0', u'\u007F', u'\u0080', u'\u00FF', u'\u0100', u'\u7FFF', u'\u8000', u'\uFFFF'})
        for (qsizetype at = 0; at < 17; ++at)
            lines << QString(24, u'a').replace(at, 1, QChar(unit));
    // Enough ordinary lines to cross the buffer's threshold several times.
    for (int i = 0; i < 20'000; ++i)
        lines << QStringLiteral("<TR><TD>Enterprise Warehouse Zürich Region %1</TD></TR>").arg(i);
    return lines;
}

TEST(PageBytes, ThePageWriterWritesWhatOneAppendLinePerLineWrites) {
    const QString folder = freshFolder();
    const QString buffered = folder + QStringLiteral("/buffered.html");
    const QString plain = folder + QStringLiteral("/plain.html");
    const QStringList lines = awkwardLines();
    {
        PageWriter page(buffered);
        for (const QString& line : lines)
            page.AppendLine(line);
    }
    for (const QString& line : lines)
        AppendLine(plain, line);
    const QByteArray expected = readBytes(plain);
    ASSERT_GT(expected.size(), 1'000'000);
    EXPECT_TRUE(readBytes(buffered) == expected);
}

TEST(PageBytes, DataRowsJoinTheirValuesAsPlainConcatenationDoes) {
    const QString start = QStringLiteral("<TR bgcolor='yellow'><TD vAlign='top'>");
    const QString separator = QStringLiteral("</TD><TD valign='top'>");
    const QString end = QStringLiteral("</TD></TR>");
    EXPECT_EQ(Page::DataRow({}), start + end);
    EXPECT_EQ(Page::DataRow({QString()}), start + end);
    EXPECT_EQ(Page::DataRow({QStringLiteral("a")}), start + u'a' + end);
    EXPECT_EQ(Page::DataRow({QStringLiteral("Köln"), QString(), QStringLiteral("<b>")}),
              start + QStringLiteral("Köln") + separator + separator + QStringLiteral("<b>") + end);
    EXPECT_EQ(Page::RowStart(), start);
}

// Rows and lines of pieces, whose texts may pair surrogates across pieces.
TEST(PageBytes, RowsAndPiecesWriteTheBytesOfTheirJoinedLine) {
    const QString high(QChar(0xD83D));
    const QString low(QChar(0xDE00));
    struct Row {
        QString a, b, c, tail;
    };
    const Row rows[] = {
        {},
        {QStringLiteral("Sales"), QStringLiteral("1.00"), QStringLiteral("Not processed"),
         QStringLiteral("</TABLE>")},
        {QStringLiteral("Köln <b>&"), QString(), QStringLiteral("中文"), QStringLiteral("ü")},
        {QStringLiteral("ends high ") + high, low + QStringLiteral(" starts low"), high + low, QString()},
        {high, low, QString(), high},
        {QString(70'000, u'y'), QStringLiteral("long"), QString(), QStringLiteral("</TABLE>")},
    };
    const QString folder = freshFolder();
    const QString quick = folder + QStringLiteral("/rows.html");
    const QString plain = folder + QStringLiteral("/lines.html");
    {
        PageWriter page(quick);
        for (int i = 0; i < 10; ++i) {
            for (const Row& row : rows) {
                page.AppendRow({row.a, row.b, row.c}, row.tail);
                page.AppendRow({row.a});
                page.AppendJoined({row.a, row.b, u"_", row.c, row.tail});
            }
        }
    }
    for (int i = 0; i < 10; ++i) {
        for (const Row& row : rows) {
            AppendLine(plain, Page::DataRow({row.a, row.b, row.c}) + row.tail);
            AppendLine(plain, Page::DataRow({row.a}));
            AppendLine(plain, row.a + row.b + u'_' + row.c + row.tail);
        }
    }
    const QByteArray expected = readBytes(plain);
    ASSERT_GT(expected.size(), 1'000'000);
    EXPECT_TRUE(readBytes(quick) == expected);
}

// A database that answers every question by walking its cubes, as any backend may.
class WalkingDatabase : public Olap::Store {
public:
    explicit WalkingDatabase(std::shared_ptr<Olap::Store> inner)
        : m(std::move(inner)) {}
    QString Name() const override { return m->Name(); }
    qint32 State() const override { return m->State(); }
    QDateTime LastProcessed() const override { return m->LastProcessed(); }
    double EstimatedSize() const override { return m->EstimatedSize(); }
    qint32 StorageMode() const override { return m->StorageMode(); }
    Olap::CollectionPtr<Olap::Store> Cubes() const override { return m->Cubes(); }
    Olap::CollectionPtr<Olap::Dimension> Dimensions() const override { return m->Dimensions(); }
    Olap::CollectionPtr<Olap::Role> Roles() const override { return m->Roles(); }
    Olap::CollectionPtr<Olap::Store> Partitions() const override { return m->Partitions(); }
    Olap::CollectionPtr<Olap::Measure> Measures() const override { return m->Measures(); }
    Olap::CollectionPtr<Olap::Command> Commands() const override { return m->Commands(); }
    Olap::CollectionPtr<Olap::Store> Aggregations() const override { return m->Aggregations(); }
    Olap::CollectionPtr<Olap::DataSource> DataSources() const override { return m->DataSources(); }

private:
    std::shared_ptr<Olap::Store> m;
};

class WalkingDatabases : public Olap::Collection<Olap::Store> {
public:
    explicit WalkingDatabases(Olap::CollectionPtr<Olap::Store> inner)
        : m(std::move(inner)) {}
    qint32 Count() const override { return m->Count(); }
    std::shared_ptr<Olap::Store> Item(qint32 position) const override {
        return std::make_shared<WalkingDatabase>(m->Item(position));
    }
    std::shared_ptr<Olap::Store> Item(const QString& name) const override {
        return std::make_shared<WalkingDatabase>(m->Item(name));
    }

private:
    Olap::CollectionPtr<Olap::Store> m;
};

class WalkingServer : public Olap::Server {
public:
    explicit WalkingServer(std::shared_ptr<Olap::Server> inner)
        : m(std::move(inner)) {}
    void Connect(const QString& serverName) override { m->Connect(serverName); }
    QString Name() const override { return m->Name(); }
    Olap::CollectionPtr<Olap::Store> Databases() const override {
        return std::make_shared<WalkingDatabases>(m->Databases());
    }

private:
    std::shared_ptr<Olap::Server> m;
};

std::shared_ptr<Olap::Server> generatedServer() {
    Bench::GeneratorOptions options;
    options.databases = 3;
    options.cubesPerDatabase = 11;
    options.sharedDimensions = 5;
    options.levels = 3;
    options.roles = 4;
    QByteArray description = Bench::GenerateDescription(options);
    QBuffer device(&description);
    device.open(QIODevice::ReadOnly);
    return Olap::ServerFromModel(std::make_shared<const Olap::ServerData>(
        Olap::ReadJsonDescription(device, QStringLiteral("generated"))));
}

// Every item and every category of the kind, with the index, as one page.
template <class Kind> QByteArray wholePage(std::shared_ptr<Olap::Server> server) {
    const Test::ScopedEnv clock("SOURCE_DATE_EPOCH", QStringLiteral("0"));
    SelectorState state;
    state.DSOServer = std::move(server);
    Kind kind(state);
    kind.GetInfoTree();
    for (qint32 r = state.infoTreeRows.lbound(1); r <= state.infoTreeRows.ubound(1); ++r)
        if (state.infoTreeRows.at(r, InfoTreeColumn::Caption).isValid())
            state.infoTreeRows.at(r, InfoTreeColumn::Checked) = true;
    kind.GetCatalogue();
    for (qint32 r = 0; r < state.catalogueRows.length(2); ++r)
        state.catalogueRows.at(CatalogueColumn::Checked, r) = true;
    kind.RetrieveInfo();
    const QString path = freshFolder() + QStringLiteral("/page.html");
    state.indexOption = true;
    state.openPages = false;
    state.pageFile = [&path](QString& made) {
        made = path;
        return true;
    };
    kind.CreateReport();
    return readBytes(path);
}

TEST(PageBytes, PagesFromTheCubeIndexesEqualPagesFromWalkingTheCubes) {
    const std::shared_ptr<Olap::Server> server = generatedServer();
    const auto walking = std::make_shared<WalkingServer>(server);
    const QByteArray dimensions = wholePage<DimensionKind>(server);
    const QByteArray roles = wholePage<RoleKind>(server);
    // A page that lists cubes under its items shows the walk was really compared.
    EXPECT_TRUE(dimensions.contains("Used in Cube"));
    EXPECT_TRUE(dimensions.contains("Umsatz \xC3\x9C"
                                    "bersicht"));
    EXPECT_TRUE(roles.contains("Revenue & Cost <Forecast>"));
    EXPECT_TRUE(dimensions == wholePage<DimensionKind>(walking));
    EXPECT_TRUE(roles == wholePage<RoleKind>(walking));
    EXPECT_TRUE(wholePage<CubeKind>(server) == wholePage<CubeKind>(walking));
}

TEST(PageBytes, TheGeneratorIsDeterministic) {
    Bench::GeneratorOptions options;
    options.databases = 2;
    const QByteArray first = Bench::GenerateDescription(options);
    EXPECT_EQ(first, Bench::GenerateDescription(options));
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(Bench::GenerateDescription(options, out), first.size());
    std::fclose(out);
}

} // namespace
