#pragma once

// What the cube, dimension and role tests share: a selector state with its kind, a recording
// progress window, ticking of catalogue rows and categories, the page run into a fresh file,
// the catalogue as text lines that compare in one go, and the pages of each kind.

#include "core/selectorstate.h"
#include "model/servermodel.h"
#include "selection/selectorflow.h"
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
        selection.rows = kind.GetCatalogue();
        selection.columns = kind.GetColumns();
        selection.categories = kind.GetInfoTree();
        return *this;
    }
    // Ticks exactly these catalogue rows.
    void tick(const std::vector<qint32>& rows) {
        for (std::size_t row = 0; row < selection.rows.size(); ++row)
            selection.rows[row].checked = std::find(rows.begin(), rows.end(), row) != rows.end();
    }
    // Checks exactly these categories.
    void check(const std::vector<qint32>& categories) {
        for (std::size_t n = 1; n <= selection.categories.size(); ++n)
            selection.categories[n - 1].checked =
                std::find(categories.begin(), categories.end(), n) != categories.end();
    }
    // Collects the selection's checked rows as the flow does.
    void retrieve() { CollectSelection(kind, selection, state); }
    // Builds the catalogue and the tree afresh, then ticks, checks and gathers exactly these.
    void gather(const std::vector<qint32>& rows, const std::vector<qint32>& categories) {
        build();
        tick(rows);
        check(categories);
        retrieve();
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
    Selection selection;
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

// The catalogue rows, each as "database|name|detail|status|bool:checked" with "-" for an empty
// text.
inline QStringList catalogueLines(const std::vector<SelectionRow>& rows) {
    const auto shown = [](const QString& text) {
        return text.isEmpty() ? QStringLiteral("-") : text;
    };
    QStringList lines;
    for (const SelectionRow& row : rows)
        lines << QStringList{shown(row.database), shown(row.name), shown(row.detail), shown(row.status),
                             row.checked ? QStringLiteral("bool:true") : QStringLiteral("bool:false")}
                     .join(u'|');
    return lines;
}

// The catalogue of countedServer({0, 2, 0, 1}), built in application mode (each database
// advancing the bar by step), then again outside it; returns its rows. A server with one empty
// database has no rows.
template <class Kind> QStringList countedCatalogue(float step) {
    Selector<Kind> s(countedServer({0, 2, 0, 1}));
    RecordingProgress& progress = s.useProgress();
    s.kind.GetCatalogue();
    EXPECT_EQ(progress.steps, std::vector<float>(4, step));
    EXPECT_EQ(progress.statuses.value(1), QStringLiteral("Opening database: DB2\r\nThis may take a while"));
    s.state.InitMode = imOLAPServer;
    const std::vector<SelectionRow> rows = s.kind.GetCatalogue();
    EXPECT_EQ(progress.statuses.size(), 4);

    Selector<Kind> empty(countedServer({0}));
    EXPECT_TRUE(empty.kind.GetCatalogue().empty());
    return catalogueLines(rows);
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
        EXPECT_EQ(s.state.reportFiles.value(0), s.pagePath);
    }
    EXPECT_TRUE(presenter().shown.empty());
}

} // namespace Lorvantic::Test
