#include "model/servermodel.h"
#include "report/pagerun.h"
#include "tests/cube/selectorfixture.h"
#include "tests/support/testsupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Lorvantic;
using Lorvantic::Test::RecordingProgress;
using Lorvantic::Test::ScopedEnv;
namespace lt = Lorvantic::Test;

namespace {

PageKind testKind(bool guarded) {
    return MakePageKind(QStringLiteral("Thing"), QStringLiteral("<p></p><table border='0' width='100%'>"),
                        QStringLiteral("100%"), guarded);
}

// An item's section: the line "section" and a row holding its name.
const TableShape& itemShape() {
    static const TableShape shape =
        MakeTableShape({QStringLiteral("thing"),
                        QStringLiteral("Thing"),
                        {{QStringLiteral("name"), QStringLiteral("Name")}},
                        {},
                        {.rowClosesTable = true, .closedAtEnd = false, .header = QStringLiteral("section")}});
    return shape;
}

struct Fixture {
    Fixture() {
        auto data = std::make_shared<Olap::ServerData>();
        data->name = QStringLiteral("SRV<1>");
        run.server = Olap::ServerFromModel(data);
        run.progress = &progress;
        run.reportFiles = &files;
        run.openInBrowser = false;
        progress = std::make_unique<RecordingProgress>();
        recorder = static_cast<RecordingProgress*>(progress.get());
    }

    QString page(const PageKind& kind, const std::vector<PageItem>& items,
                 const SectionWriter& section = nullptr) {
        return CreateReport(
            kind, run, static_cast<qint32>(items.size()),
            [&](qint32 i) { return items[static_cast<std::size_t>(i - 1)]; },
            section ? section : [&](qint32 i, ReportWriter& w) {
                const PageItem& item = items[static_cast<std::size_t>(i - 1)];
                w.beginItem(item, itemShape(), {item.name});
                w.endItem();
            });
    }

    ScopedEnv epoch{"SOURCE_DATE_EPOCH", QStringLiteral("0")};
    ScopedEnv temp{"TEMP", lt::freshFolder()};
    PageRunState run;
    std::unique_ptr<ProgressWindow> progress;
    RecordingProgress* recorder = nullptr;
    QStringList files;
};

// The page header of a run on server "SRV<1>" at the epoch.
QByteArray header() {
    return lt::readBytes(lt::dataPath(QStringLiteral("report/header.html")));
}

QByteArray row(const char* name) {
    return QByteArray("<TR bgcolor='yellow'><TD vAlign='top'>") + name + "</TD></TR></TABLE>\r\n";
}

} // namespace

TEST(PageRun, WritesHeaderSectionsAndEndWithoutIndex) {
    Fixture f;
    f.run.applicationMode = true;
    const QString path = f.page(testKind(false), {{QStringLiteral("DB"), QStringLiteral("A&B")},
                                                  {QStringLiteral("DB"), QStringLiteral("C")}});
    EXPECT_EQ(lt::readBytes(path), header() + "section\r\n" + row("A&B") + "<P>\r\nsection\r\n" + row("C") +
                                       "<P>\r\n</body></html>\r\n");
    EXPECT_EQ(f.files.size(), 1);
    EXPECT_EQ(f.files.value(0), path);
    EXPECT_EQ(f.recorder->steps, (std::vector<float>{7.5f, 7.5f}));
    EXPECT_EQ(f.recorder->statuses, (QStringList{QStringLiteral("Generating HTML for Thing: A&B"),
                                                 QStringLiteral("Generating HTML for Thing: C")}));
    EXPECT_EQ(f.recorder->closed, 1);
    EXPECT_TRUE(f.progress) << "the selector keeps its window after a finished run";
}

TEST(PageRun, AFileThatCannotBeMadeShowsAMessage) {
    Fixture f;
    ScopedEnv temp("TEMP", lt::freshFolder() + QStringLiteral("/missing"));
    lt::presenter().clear();
    EXPECT_EQ(f.page(testKind(true), {{QStringLiteral("D"), QStringLiteral("N")}}), QString());
    EXPECT_EQ(lt::presenter().texts(),
              QStringList{QStringLiteral("Error occurred during the creation of the temporary file!")});
    EXPECT_TRUE(f.files.isEmpty());
    EXPECT_TRUE(f.progress) << "the flow closes the window, not the run";
}

TEST(PageRun, AGuardedHeaderFailureEndsOnlyTheHeader) {
    Fixture f;
    f.run.server.reset();
    const QString path = f.page(testKind(true), {{QStringLiteral("D"), QStringLiteral("N")}});
    const QByteArray bytes = lt::readBytes(path);
    const QByteArray end = QByteArray("<td valign='top'><b>Time:</b>00:00:00</td>\r\nsection\r\n") +
                           row("N") + "<P>\r\n</body></html>\r\n";
    EXPECT_TRUE(bytes.endsWith(end));
    Fixture unguarded;
    unguarded.run.server.reset();
    EXPECT_THROW(unguarded.page(testKind(false), {{QStringLiteral("D"), QStringLiteral("N")}}), Error);
}

TEST(PageRun, ABrowserThatCannotStartIsReportedAndThePageStays) {
    Fixture f;
    ScopedEnv browser("BROWSER", QStringLiteral("/no/browser"));
    f.run.openInBrowser = true;
    lt::presenter().clear();
    const QString first = f.page(testKind(false), {{QStringLiteral("D"), QStringLiteral("N")}});
    const QString second = f.page(testKind(false), {{QStringLiteral("D"), QStringLiteral("N")}});
    EXPECT_EQ(lt::presenter().texts(), (QStringList{QStringLiteral("Cann't launch the default browser!"),
                                                    QStringLiteral("Cann't launch the default browser!")}));
    EXPECT_TRUE(QFileInfo::exists(first));
    EXPECT_EQ(f.files.size(), 2);
    EXPECT_EQ(f.files.value(1), second);
}
