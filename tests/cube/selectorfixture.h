#pragma once

// What the cube, dimension and role tests share: a selector state with its kind, a recording
// progress window, ticking of catalogue rows and categories, the page run into a fresh file,
// the selector's grids as text lines that compare in one go, and the pages of each kind.

#include "core/grids.h"
#include "core/selectorstate.h"
#include "model/servermodel.h"
#include "tests/schemas/cases.h"
#include "tests/support/testsupport.h"

#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <vector>

namespace Lorvantic::Test {

class RecordingProgress : public ProgressWindow {
public:
    void Progress(float nProgress) override { steps.push_back(nProgress); }
    void Status(const QString& sStatus) override { statuses << sStatus; }
    void Close() override { ++closed; }

    std::vector<float> steps;
    QStringList statuses;
    int closed = 0;
};

template <class Kind> struct Selector {
    Selector() = default; // without a server object
    explicit Selector(std::shared_ptr<Olap::Server> server) { state.DSOServer = std::move(server); }
    explicit Selector(std::shared_ptr<const Olap::ServerData> data)
        : Selector(Olap::ServerFromModel(std::move(data))) {}

    // Switches to application mode with a recording progress window and returns it.
    RecordingProgress& useProgress() {
        auto progress = std::make_unique<RecordingProgress>();
        RecordingProgress& recording = *progress;
        state.InitMode = imApplication;
        state.progress = std::move(progress);
        return recording;
    }
    Selector& build() {
        kind.GetCatalogue();
        kind.GetInfoTree();
        return *this;
    }
    // Ticks exactly these catalogue rows.
    void tick(const std::vector<qint32>& rows) {
        VariantGrid& grid = state.catalogueRows;
        for (qint32 row = grid.lbound(2); row <= grid.ubound(2); ++row)
            grid.at(CatalogueColumn::Checked, row) = std::find(rows.begin(), rows.end(), row) != rows.end();
    }
    // Checks exactly these categories of the information tree.
    void check(const std::vector<qint32>& categories) {
        VariantGrid& tree = state.infoTreeRows;
        for (qint32 row = tree.lbound(1); row <= tree.ubound(1); ++row)
            tree.at(row, InfoTreeColumn::Checked) =
                std::find(categories.begin(), categories.end(), row) != categories.end();
    }
    // Builds the catalogue and the tree afresh, then ticks, checks and gathers exactly these.
    void gather(const std::vector<qint32>& rows, const std::vector<qint32>& categories) {
        build();
        tick(rows);
        check(categories);
        kind.RetrieveInfo();
    }
    // Runs the page into pagePath, a fresh file, with the header clock at 0 and without the
    // browser; returns the file's bytes.
    QByteArray runPage() {
        ScopedEnv epoch("SOURCE_DATE_EPOCH", QStringLiteral("0"));
        pagePath = freshFolder() + QStringLiteral("/page.html");
        state.pageFile = [path = pagePath](QString& made) {
            made = path;
            return true;
        };
        state.openPages = false;
        kind.CreateReport();
        return readBytes(pagePath);
    }

    SelectorState state;
    Kind kind{state};
    QString pagePath;
};

// Server "S" of databases "DB1", "DB2", ... holding the given numbers of cubes, dimensions and
// roles, each named "x1", "x2", ...: odd ones processed, even ones not; cubes of 0 MB, roles
// described "about x1" and so on.
inline std::shared_ptr<const Olap::ServerData> countedServer(const std::vector<int>& itemsPerDatabase) {
    auto server = std::make_shared<Olap::ServerData>();
    server->name = QStringLiteral("S");
    for (std::size_t i = 0; i < itemsPerDatabase.size(); ++i) {
        Olap::DatabaseData& db = server->databases.emplace_back();
        db.name = QStringLiteral("DB%1").arg(i + 1);
        for (int j = 1; j <= itemsPerDatabase[i]; ++j) {
            const QString name = QStringLiteral("x%1").arg(j);
            db.cubes.push_back({name, j % 2, std::nullopt, 0.0, {}, {}, {}, {}, {}, {}, {}});
            db.dimensions.push_back({name, false, j % 2, std::nullopt, 0, 0, {}, {}});
            db.roles.push_back({name, QStringLiteral("about ") + name, QString(), {}});
        }
    }
    return server;
}

// A cell as the tests compare it: a string as it is, another value with its type
// ("bool:false", "short:1600"), no value as "-".
inline QString shown(const QVariant& cell) {
    if (!cell.isValid())
        return QStringLiteral("-");
    if (cell.typeId() == QMetaType::QString)
        return cell.toString();
    return QLatin1String(cell.typeName()) + u':' + cell.toString();
}

// The catalogue rows from row 0, each over columns 0-4 shown and joined by '|'; none without
// bounds.
inline QStringList catalogueLines(const VariantGrid& rows) {
    QStringList lines;
    if (IsArrayEmpty(rows))
        return lines;
    EXPECT_EQ(rows.lbound(1), 0);
    EXPECT_EQ(rows.ubound(1), 4);
    EXPECT_EQ(rows.lbound(2), 0);
    for (qint32 row = 0; row <= rows.ubound(2); ++row) {
        QStringList cells;
        for (qint32 column = CatalogueColumn::Database; column <= CatalogueColumn::Checked; ++column)
            cells << shown(rows.at(column, row));
        lines << cells.join(u'|');
    }
    return lines;
}

// The catalogue of countedServer({0, 2, 0, 1}), built over a row left from before in application
// mode (each database advancing the bar by step), then again outside it; returns its rows. A
// server with one empty database leaves the rows without bounds.
template <class Kind> QStringList countedCatalogue(float step) {
    Selector<Kind> s(countedServer({0, 2, 0, 1}));
    RecordingProgress& progress = s.useProgress();
    s.state.catalogueRows.redim(CatalogueColumn::Database, CatalogueColumn::Checked, 0, 5);
    s.kind.GetCatalogue();
    EXPECT_EQ(progress.steps, std::vector<float>(4, step));
    EXPECT_EQ(progress.statuses.value(1), QStringLiteral("Opening database: DB2\r\nThis may take a while"));
    s.state.InitMode = imOLAPServer;
    s.kind.GetCatalogue();
    EXPECT_EQ(progress.statuses.size(), 4);

    Selector<Kind> empty(countedServer({0}));
    empty.kind.GetCatalogue();
    EXPECT_TRUE(IsArrayEmpty(empty.state.catalogueRows));
    return catalogueLines(s.state.catalogueRows);
}

// Gathers each case of <kind>/pages.txt (page file, catalogue rows, categories, index 1/0) on
// the server file afresh and compares the page with its file under tests/data, byte for byte.
template <class Kind> void expectPages(const QString& kind, const QString& serverFileName) {
    const auto numbers = [](const QByteArray& field) {
        std::vector<qint32> list;
        for (const QByteArray& number : field.split(','))
            if (!number.isEmpty())
                list.push_back(number.toInt());
        return list;
    };
    presenter().clear();
    for (const Case& c : cases(kind + QStringLiteral("/pages.txt"))) {
        SCOPED_TRACE(c[0].toStdString());
        Selector<Kind> s(serverFile(serverFileName));
        s.state.indexOption = c[3] == "1";
        s.gather(numbers(c[1]), numbers(c[2]));
        const QByteArray page = s.runPage(), expected = readBytes(dataPath(kind + u'/' + text(c[0])));
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(page.toStdString(), expected.toStdString());
        EXPECT_EQ(s.state.reportFiles.at(0).toString(), s.pagePath);
    }
    EXPECT_TRUE(presenter().shown.empty());
}

} // namespace Lorvantic::Test
