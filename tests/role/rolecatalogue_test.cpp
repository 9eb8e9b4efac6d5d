#include "rolefixture.h"
#include "testsupport.h"

#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

// Databases named by the keys, each with the given role names ("<name> roles" as description).
Olap::ServerData serverWith(const std::vector<std::pair<QString, QStringList>>& databases) {
    Olap::ServerData server;
    server.name = QStringLiteral("S");
    for (const auto& [name, roles] : databases) {
        Olap::DatabaseData db;
        db.name = name;
        for (const QString& role : roles)
            db.roles.push_back({role, role + QStringLiteral(" roles"), QString()});
        server.databases.push_back(db);
    }
    return server;
}

void expectRow(const VariantGrid& rows, qint32 row, const QString& db, const QString& role) {
    SCOPED_TRACE(row);
    EXPECT_EQ(rows.at(0, row), QVariant(db));
    EXPECT_EQ(rows.at(1, row), QVariant(role));
    EXPECT_EQ(rows.at(2, row), QVariant(role + QStringLiteral(" roles")));
    EXPECT_FALSE(rows.at(3, row).isValid());
    EXPECT_EQ(rows.at(4, row).typeId(), QMetaType::Bool);
    EXPECT_FALSE(rows.at(4, row).toBool());
}

TEST(RoleCatalogue, RowsFollowDatabasesAndSkipThoseWithoutRoles) {
    const QString a = QStringLiteral("A"), c = QStringLiteral("C");
    RoleFixture f(serverWith({{QStringLiteral("E"), {}},
                              {a, {QStringLiteral("r1")}},
                              {QStringLiteral("B"), {}},
                              {c, {QStringLiteral("r2"), QStringLiteral("r3")}}}));
    // Twice: the second build keeps nothing of the first.
    for (int run = 0; run < 2; ++run) {
        f.kind.GetCatalogue();
        const VariantGrid& rows = f.state.catalogueRows;
        ASSERT_EQ(rows.lbound(1), 0);
        ASSERT_EQ(rows.ubound(1), 4);
        ASSERT_EQ(rows.lbound(2), 0);
        ASSERT_EQ(rows.ubound(2), 2);
        expectRow(rows, 0, a, QStringLiteral("r1"));
        expectRow(rows, 1, c, QStringLiteral("r2"));
        expectRow(rows, 2, c, QStringLiteral("r3"));
    }
}

TEST(RoleCatalogue, NoDatabasesLeavesRowsWithoutBounds) {
    RoleFixture f(serverWith({}));
    RecordingProgress& progress = f.useProgress();
    f.kind.GetCatalogue();
    EXPECT_TRUE(IsArrayEmpty(f.state.catalogueRows));
    EXPECT_TRUE(progress.steps.empty());
}

TEST(RoleCatalogue, ProgressStepIsNotRounded) {
    RoleFixture f(serverWith({{QStringLiteral("D1"), {}},
                              {QStringLiteral("D2"), {}},
                              {QStringLiteral("D3"), {}},
                              {QStringLiteral("D4"), {QStringLiteral("r")}}}));
    RecordingProgress& progress = f.useProgress();
    f.kind.GetCatalogue();
    EXPECT_EQ(progress.steps, std::vector<float>(4, 22.5f));
    ASSERT_EQ(progress.statuses.size(), 4);
    EXPECT_EQ(progress.statuses[3], QStringLiteral("Opening database: D4\r\nThis may take a while"));

    // Without application mode the window is left alone.
    f.state.InitMode = imOLAPServer;
    f.kind.GetCatalogue();
    EXPECT_EQ(progress.steps.size(), 4u);
}

TEST(RoleCatalogue, RoleCounterOverflowsBeyond32767) {
    QStringList roles;
    for (int i = 0; i < 32767; ++i)
        roles << QString::number(i);
    RoleFixture full(serverWith({{QStringLiteral("D"), roles}}));
    full.kind.GetCatalogue();
    EXPECT_EQ(full.state.catalogueRows.ubound(2), 32766);

    roles << QStringLiteral("one too many");
    RoleFixture over(serverWith({{QStringLiteral("D"), roles}}));
    try {
        over.kind.GetCatalogue();
        FAIL() << "no overflow";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::Overflow);
    }
}

class UnreachableServer : public Olap::Server {
public:
    void Connect(const QString&) override {}
    QString Name() const override { return QStringLiteral("gone"); }
    Olap::CollectionPtr<Olap::Store> Databases() const override {
        throw Error(ErrorNumber::NotConnected, QStringLiteral("lost"));
    }
};

TEST(RoleCatalogue, ServerFailuresPassToTheCaller) {
    RoleFixture f(serverWith({}));
    f.state.DSOServer = std::make_shared<UnreachableServer>();
    EXPECT_THROW(f.kind.GetCatalogue(), Error);
    f.state.DSOServer.reset();
    EXPECT_THROW(f.kind.GetCatalogue(), Error);
}

TEST(RoleCatalogue, ColumnArraysAndInfoTree) {
    RoleFixture f(serverWith({}));
    VariantGrid heads, aligns, widths;
    f.kind.GetColumnHeaders(heads);
    f.kind.GetColumnAligns(aligns);
    f.kind.GetColumnWidths(widths);
    const QVariant expected[3][3] = {
        {QStringLiteral("Database"), QStringLiteral("Roles"), QStringLiteral("Description")},
        {qint32(0), qint32(0), qint32(0)},
        {QVariant::fromValue<qint16>(1600), QVariant::fromValue<qint16>(3200),
         QVariant::fromValue<qint16>(3200)}};
    const VariantGrid* arrays[3] = {&heads, &aligns, &widths};
    for (int a = 0; a < 3; ++a) {
        ASSERT_EQ(arrays[a]->lbound(), 0);
        ASSERT_EQ(arrays[a]->ubound(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(arrays[a]->at(i).typeId(), expected[a][i].typeId());
            EXPECT_EQ(arrays[a]->at(i), expected[a][i]);
        }
        EXPECT_FALSE(arrays[a]->at(3).isValid());
    }

    f.kind.GetInfoTree();
    const VariantGrid& tree = f.state.infoTreeRows;
    ASSERT_EQ(tree.lbound(1), 1);
    ASSERT_EQ(tree.ubound(1), 3);
    EXPECT_EQ(tree.at(1, 0), QVariant(QStringLiteral("VOKKey1")));
    EXPECT_EQ(tree.at(1, 1), QVariant(QStringLiteral("User")));
    EXPECT_EQ(tree.at(2, 0), QVariant(QStringLiteral("VOKKey2")));
    EXPECT_EQ(tree.at(2, 1), QVariant(QStringLiteral("Cube")));
    for (qint32 row : {1, 2}) {
        EXPECT_EQ(tree.at(row, 2), QVariant(QString()));
        EXPECT_EQ(tree.at(row, 3), QVariant(false));
    }
    for (qint32 column = 0; column <= 3; ++column)
        EXPECT_FALSE(tree.at(3, column).isValid());
}

} // namespace
} // namespace Lorvantic::Test
