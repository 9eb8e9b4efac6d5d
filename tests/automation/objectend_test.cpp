// A selector's end erases the pages its reports left in the temporary folder.

#include "automation/dispatch.h"
#include "automation/factory.h"
#include "automation/metaselcube.h"
#include "automation/metaseldim.h"
#include "core/selectorstate.h"
#include "report/reportfile.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Qt::StringLiterals;
using Lorvantic::Test::ScopedEnv;
namespace lt = Lorvantic::Test;

namespace {

// A selector whose list of report files the test fills, as page runs would.
template <class Selector> class PagedSelector : public Selector {
public:
    void addPages(int count) {
        for (int i = 0; i < count; ++i) {
            QString page;
            EXPECT_TRUE(CreateTempFile(page));
            addPage(page);
        }
    }
    void addPage(const QString& path) { this->selectorState().reportFiles.append(path); }
    QString page(qint32 index) const { return this->state().reportFiles.at(index); }
};

class ObjectEndTest : public ::testing::Test {
protected:
    void SetUp() override { lt::presenter().clear(); }
    QStringList files() const { return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot); }

    const QString folder = lt::freshFolder();
    ScopedEnv temp{"TEMP", folder};
};

// One message for each page someone else deleted or that never was; the others go.
TEST_F(ObjectEndTest, ReportsEachPageItCannotEraseAndGoesOn) {
    QString companion;
    {
        PagedSelector<MetaSelDim> dimensions;
        dimensions.addPages(3);
        dimensions.addPage(folder + u"/VOK1.html"_s);
        ASSERT_TRUE(QFile::remove(dimensions.page(1)));
        companion = QFileInfo(dimensions.page(1).chopped(4) + u"tmp"_s).fileName();
    }
    EXPECT_EQ(files(), QStringList{companion});
    EXPECT_EQ(lt::presenter().texts(), QStringList(2, u"Error in erasing temporary files."_s));
    ASSERT_FALSE(lt::presenter().shown.empty());
    const Message& message = lt::presenter().shown.front();
    EXPECT_EQ(message.buttons, MessageButtons::OK);
    EXPECT_EQ(message.icon, MessageIcon::None);
    EXPECT_EQ(message.caption, DefaultCaption());
}

// A selector that never ran a report has nothing to erase: its temporary folder need not even
// exist, and stays so.
TEST_F(ObjectEndTest, WithoutReportsTouchesNothingAndSaysNothing) {
    const QString missing = folder + u"/missing"_s;
    ScopedEnv nowhere("TEMP", missing);
    for (const QString& progId :
         {u"Lorvantic.MetaSelCube"_s, u"Lorvantic.MetaSelDim"_s, u"Lorvantic.MetaSelRole"_s})
        CreateObject(progId).reset();
    { MetaSelCube cube; }
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(lt::presenter().shown.empty());
}

} // namespace
