#include "model/olap.h"
#include "model/servermodel.h"
#include "report/reportfile.h"
#include "tests/schemas/cases.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Lorvantic;
using Lorvantic::Test::ScopedEnv;
namespace lt = Lorvantic::Test;

namespace {

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString companionOf(const QString& page) {
    return page.left(page.size() - 4) + QStringLiteral("tmp");
}

std::shared_ptr<Olap::Store> cubeOfSize(std::optional<double> bytes) {
    auto data = std::make_shared<Olap::ServerData>();
    data->name = QStringLiteral("S");
    Olap::DatabaseData db;
    db.name = QStringLiteral("D");
    Olap::CubeData cube;
    cube.name = QStringLiteral("C");
    cube.estimatedSize = bytes;
    db.cubes.push_back(cube);
    data->databases.push_back(db);
    return Olap::ServerFromModel(data)->Databases()->Item(1)->Cubes()->Item(1);
}

} // namespace

TEST(CreateTempFile, MakesAPageAndItsCompanionExclusively) {
    const QString folder = lt::freshFolder();
    ScopedEnv temp("TEMP", folder);
    QString first;
    QString second;
    ASSERT_TRUE(CreateTempFile(first));
    ASSERT_TRUE(CreateTempFile(second));
    EXPECT_NE(first, second);
    for (const QString& page : {first, second}) {
        const QFileInfo info(page);
        EXPECT_EQ(info.absolutePath(), QFileInfo(folder).absoluteFilePath());
        EXPECT_TRUE(info.fileName().contains(QRegularExpression(QStringLiteral("^VOK[0-9A-F]{1,4}\\.html$"))))
            << info.fileName().toStdString();
        EXPECT_TRUE(QFileInfo::exists(companionOf(page)));
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(page).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    EXPECT_EQ(folderEntries(folder).size(), 4);
}

TEST(CreateTempFile, FailsWithoutAUsableFolderAndLeavesThePathAlone) {
    QString path = QStringLiteral("unchanged");
    {
        ScopedEnv temp("TEMP", lt::freshFolder() + QStringLiteral("/missing"));
        EXPECT_FALSE(CreateTempFile(path));
    }
    {
        // 254 characters is all the name may take.
        const QString deep = lt::freshFolder() + u'/' + QString(240, u'd');
        QDir().mkpath(deep);
        ScopedEnv temp("TEMP", deep);
        EXPECT_FALSE(CreateTempFile(path));
    }
    EXPECT_EQ(path, QStringLiteral("unchanged"));
}

TEST(AppendLine, AppendsCrLfAndDropsWhatCannotBeWritten) {
    const QString folder = lt::freshFolder();
    const QString file = folder + QStringLiteral("/page.html");
    AppendLine(file, QStringLiteral("one"));
    AppendLine(file, QStringLiteral("zwei \u00e4 <&'>"));
    EXPECT_EQ(lt::readBytes(file), QByteArray("one\r\nzwei \xc3\xa4 <&'>\r\n"));

    QFile::setPermissions(file, QFileDevice::ReadOwner);
    AppendLine(file, QStringLiteral("lost"));
    AppendLine(folder + QStringLiteral("/missing/x.html"), QStringLiteral("lost"));
    // Root writes through read-only permissions; everyone else must lose the line.
    if (::geteuid() != 0) {
        EXPECT_EQ(lt::readBytes(file), QByteArray("one\r\nzwei \xc3\xa4 <&'>\r\n"));
    }
}

TEST(GetSizeInMB, TwoDecimalsOrZeroOnFailure) {
    const std::pair<std::optional<double>, const char*> cases[] = {
        {1048576.0, "1.00"},
        {0.0, "0.00"},
        {5000.0, "0.00"},
        {1048576.0 * 1536.5, "1536.50"},
        {1048576.0 * 123456, "123456.00"},
        {std::nullopt, "0"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(GetSizeInMB(*cubeOfSize(bytes)), QString::fromLatin1(text));
}

// Runs as its own test program invocation with LC_ALL=de_DE.UTF-8 (the system locale is read once).
TEST(GermanLocale, SizesUseTheDecimalComma) {
    if (!QLocale::system().name().startsWith(QStringLiteral("de")))
        GTEST_SKIP() << "needs LC_ALL=de_DE.UTF-8";
    EXPECT_EQ(GetSizeInMB(*cubeOfSize(1048576.0)), QStringLiteral("1,00"));
    EXPECT_EQ(GetSizeInMB(*cubeOfSize(1048576.0 * 2048)), QStringLiteral("2048,00"));
}

// The cases: tests/data/report/connection-values.txt.
TEST(GetConnectionValue, FindsTheValueOfAKey) {
    for (const lt::Case& c : lt::cases(QStringLiteral("report/connection-values.txt")))
        EXPECT_EQ(
            GetConnectionValue(lt::text(c[0]), lt::text(c[1]), QStringLiteral("="), QStringLiteral(";")),
            lt::text(c[2]))
            << c[0].toStdString();
    EXPECT_EQ(GetConnectionValue(QVariant(42), QStringLiteral("4"), QStringLiteral("2"), QStringLiteral(";")),
              QString());
}

TEST(GeneralDateText, LeavesTheTimeOutAtMidnight) {
    ScopedEnv locale("LC_ALL", QStringLiteral("C"));
    const QDateTime noon(QDate(2026, 11, 30), QTime(14, 5, 9));
    const QDateTime midnight(QDate(2026, 11, 30), QTime(0, 0));
    EXPECT_EQ(GeneralDateText(noon), ShortDateText(noon) + QStringLiteral(" 14:05:09"));
    EXPECT_EQ(GeneralDateText(midnight), ShortDateText(midnight));
    EXPECT_FALSE(TimeText(noon).contains(QStringLiteral("UTC")));
}
