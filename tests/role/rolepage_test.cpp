#include "rolefixture.h"
#include "testsupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace Lorvantic::Test {
namespace {

// Runs the page into a file of a fresh folder, without the browser; returns the file's path.
QString runPage(RoleFixture& f, const QString& path = freshFolder() + QStringLiteral("/page.html")) {
    PageRunState run = f.state.pageRun();
    run.createFile = [path](QString& made) {
        made = path;
        return true;
    };
    run.openInBrowser = false;
    f.kind.CreateReport(run);
    return path;
}

TEST(RolePage, MatchesHandWrittenPages) {
    const ScopedEnv epoch("SOURCE_DATE_EPOCH", QStringLiteral("0"));
    const std::vector<RoleKey> all = allSampleRoles();
    const struct {
        const char* golden;
        std::vector<RoleKey> roles;
        bool users, cubes, index;
    } cases[] = {
        {"all_index.html", all, true, true, true},
        {"all_noindex.html", all, true, true, false},
        {"users_only.html", {all[1], all[3]}, true, false, false},
        {"cubes_only.html", {all[2], all[3]}, false, true, true},
        {"neither.html", {all[4]}, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        RoleFixture f(sampleServer());
        f.check(c.roles, c.users, c.cubes);
        f.state.indexOption = c.index;
        f.kind.RetrieveInfo();
        const QByteArray expected = readBytes(dataPath(QStringLiteral("role/") + QLatin1String(c.golden)));
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(readBytes(runPage(f)).toStdString(), expected.toStdString());
    }
    EXPECT_TRUE(presenter().shown.empty());
}

TEST(RolePage, ProgressNamesEachRoleAndClosesTheWindow) {
    RoleFixture f(sampleServer());
    f.check({allSampleRoles()[0], allSampleRoles()[4]}, true, true);
    f.kind.RetrieveInfo();
    RecordingProgress& progress = f.useProgress();
    runPage(f);
    EXPECT_EQ(progress.steps, std::vector<float>(2, 7.5f));
    EXPECT_EQ(progress.statuses, QStringList({QStringLiteral("Generating HTML for Role: Readers"),
                                              QStringLiteral("Generating HTML for Role: R&D <Team>")}));
    EXPECT_EQ(progress.closed, 1);
}

TEST(RolePage, NothingCheckedShowsTheEmptyListMessage) {
    presenter().clear();
    RoleFixture f(sampleServer());
    f.check({}, true, true);
    f.kind.RetrieveInfo();
    const QString path = runPage(f);
    EXPECT_EQ(presenter().texts(), QStringList({QStringLiteral("There is nothing to display!")}));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(IsArrayEmpty(f.state.reportFiles));
    presenter().clear();
}

TEST(RolePage, FailuresEndTheRunAndPassToTheCaller) {
    RoleFixture f(sampleServer());
    EXPECT_THROW(runPage(f), Error); // nothing gathered yet

    f.check({allSampleRoles()[0]}, true, true);
    f.kind.RetrieveInfo();
    f.state.infoTreeRows.erase();
    const QString path = freshFolder() + QStringLiteral("/page.html");
    EXPECT_THROW(runPage(f, path), Error);
    const QByteArray page = readBytes(path);
    EXPECT_TRUE(page.startsWith("<html><body>\r\n"));
    EXPECT_FALSE(page.contains("</body></html>"));
}

} // namespace
} // namespace Lorvantic::Test
