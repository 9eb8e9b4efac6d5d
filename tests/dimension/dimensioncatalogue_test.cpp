// Catalogue rows, column arrays, information tree and catalogue progress of the dimension kind.

#include "dimensiontestdata.h"
#include "reportfile.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

using namespace Qt::StringLiterals;

// "database/dimension/status" per row; checks the fixed columns on the way.
QStringList catalogue(const SelectorState& state) {
    QStringList rows;
    const VariantGrid& grid = state.catalogueRows;
    for (qint32 row = grid.lbound(2); row <= grid.ubound(2); ++row) {
        rows << grid.at(0, row).toString() + u'/' + grid.at(1, row).toString() + u'/' +
                    grid.at(3, row).toString();
        EXPECT_EQ(grid.at(2, row), QVariant(u"N/A"_s));
        EXPECT_EQ(grid.at(4, row), QVariant(false));
    }
    return rows;
}

TEST(DimensionCatalogue, RowsFollowDatabasesAndSkipEmptyOnes) {
    const QString p = u"/Processed"_s, n = u"/Not Processed"_s; // the test dimensions alternate
    Selector first(serverWithDimensions({0, 2}));
    EXPECT_EQ(first.state->catalogueRows.lbound(2), 0);
    EXPECT_EQ(catalogue(*first.state), (QStringList{u"DB2/D1"_s + p, u"DB2/D2"_s + n}));

    Selector several(serverWithDimensions({2, 0, 3}));
    several.kind.GetCatalogue(); // a second build starts afresh
    EXPECT_EQ(catalogue(*several.state), (QStringList{u"DB1/D1"_s + p, u"DB1/D2"_s + n, u"DB3/D1"_s + p,
                                                      u"DB3/D2"_s + n, u"DB3/D3"_s + p}));

    Selector none(serverWithDimensions({0, 0}));
    none.state->catalogueRows.redim(0, 4, 0, 0);
    none.kind.GetCatalogue();
    EXPECT_TRUE(IsArrayEmpty(none.state->catalogueRows));
}

TEST(DimensionCatalogue, EachDatabaseAdvancesTheBarByAnUnroundedShare) {
    ProgressLog log;
    Selector s(serverWithDimensions({1, 0, 2, 1}), &log);
    EXPECT_EQ(log.steps, std::vector<float>(4, 22.5f));
    EXPECT_EQ(log.statuses.size(), 4);
    EXPECT_EQ(log.statuses.at(1), u"Opening database: DB2\r\nThis may take a while"_s);
}

TEST(DimensionCatalogue, ColumnArraysAndInfoTree) {
    Selector s(serverWithDimensions({}));
    VariantGrid heads, aligns, widths;
    s.kind.GetColumnHeaders(heads);
    s.kind.GetColumnAligns(aligns);
    s.kind.GetColumnWidths(widths);
    const QVariant expected[3][4] = {
        {u"Database"_s, u"Dimension"_s, u"Size"_s, u"Status"_s},
        {0, 0, 1, 0},
        {QVariant::fromValue<qint16>(1600), QVariant::fromValue<qint16>(3200),
         QVariant::fromValue<qint16>(800), QVariant::fromValue<qint16>(1600)},
    };
    const VariantGrid* arrays[] = {&heads, &aligns, &widths};
    for (int a = 0; a < 3; ++a) {
        ASSERT_EQ(arrays[a]->ubound(), 3);
        for (qint32 i = 0; i <= 3; ++i) {
            EXPECT_EQ(arrays[a]->at(i), expected[a][i]) << a << ',' << i;
            EXPECT_EQ(arrays[a]->at(i).typeId(), expected[a][i].typeId()) << a << ',' << i;
        }
    }

    const VariantGrid& tree = s.state->infoTreeRows;
    const QVariant rows[3][4] = {{u"VOKKey1"_s, u"Levels"_s, u""_s, false},
                                 {u"VOKKey2"_s, u"Level properties"_s, u"VOKKey1"_s, false},
                                 {u"VOKKey3"_s, u"Cube"_s, u""_s, false}};
    ASSERT_EQ(tree.lbound(1), 1);
    ASSERT_EQ(tree.ubound(1), 3);
    for (qint32 r = 1; r <= 3; ++r)
        for (qint32 column = 0; column <= 3; ++column)
            EXPECT_EQ(tree.at(r, column), rows[r - 1][column]) << r << ',' << column;
}

// A server whose second database cannot be opened.
class FailingDatabases : public Olap::Collection<Olap::Store> {
public:
    explicit FailingDatabases(Olap::CollectionPtr<Olap::Store> inner)
        : m_inner(std::move(inner)) {}
    qint32 Count() const override { return m_inner->Count(); }
    std::shared_ptr<Olap::Store> Item(qint32 position) const override {
        if (position == 2)
            throw Error(ErrorNumber::NotConnected, u"connection lost"_s);
        return m_inner->Item(position);
    }
    std::shared_ptr<Olap::Store> Item(const QString& name) const override { return m_inner->Item(name); }

private:
    Olap::CollectionPtr<Olap::Store> m_inner;
};

class FailingServer : public Olap::Server {
public:
    explicit FailingServer(std::shared_ptr<Olap::Server> inner)
        : m_inner(std::move(inner)) {}
    void Connect(const QString&) override {}
    QString Name() const override { return m_inner->Name(); }
    Olap::CollectionPtr<Olap::Store> Databases() const override {
        return std::make_shared<FailingDatabases>(m_inner->Databases());
    }

private:
    std::shared_ptr<Olap::Server> m_inner;
};

qint32 catalogueFailure(SelectorState& state) {
    try {
        DimensionKind(state).GetCatalogue();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

TEST(DimensionCatalogue, FailuresReachTheCaller) {
    SelectorState state;
    state.DSOServer = std::make_shared<FailingServer>(Olap::ServerFromModel(serverWithDimensions({2, 1})));
    EXPECT_EQ(catalogueFailure(state), ErrorNumber::NotConnected);
    EXPECT_EQ(catalogue(state), (QStringList{u"DB1/D1/Processed"_s, u"DB1/D2/Not Processed"_s}));

    state.DSOServer = Olap::ServerFromModel(serverWithDimensions(std::vector<int>(32768, 0)));
    EXPECT_EQ(catalogueFailure(state), ErrorNumber::Overflow); // the database counter has 16 bits

    state.DSOServer.reset();
    EXPECT_EQ(catalogueFailure(state), ErrorNumber::ObjectNotSet);
}

} // namespace
} // namespace Lorvantic::Test
