// Every input kept for the fuzz targets (seeds and findings under fuzz/corpus/) is read again in
// the normal suite: each gives a server or a description error, never anything else.

#include "asslschema.h"
#include "error.h"
#include "mondrianschema.h"
#include "serverdescription.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

using namespace Lorvantic;
using namespace Lorvantic::Olap;

namespace {

using Reader = std::function<ServerData(QIODevice&)>;

void readEveryKeptInput(const char* target, const Reader& read) {
    const QDir folder(QStringLiteral(LORVANTIC_SOURCE_DIR "/fuzz/corpus/") + QLatin1String(target));
    const QStringList inputs = folder.entryList(QDir::Files, QDir::Name);
    EXPECT_FALSE(inputs.isEmpty()) << folder.path().toStdString();
    for (const QString& input : inputs) {
        SCOPED_TRACE(input.toStdString());
        QFile file(folder.filePath(input));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        try {
            (void)read(file);
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::BadDescription) << error.description().toStdString();
        }
    }
}

} // namespace

TEST(FuzzCorpus, ServerDescriptionsReadOrFailCleanly) {
    readEveryKeptInput("fuzz_jsondescription",
                       [](QIODevice& device) { return ReadJsonDescription(device, QStringLiteral("T")); });
}

TEST(FuzzCorpus, SchemasReadOrFailCleanly) {
    readEveryKeptInput("fuzz_mondrianschema", [](QIODevice& device) {
        return ReadMondrianSchema(device, QStringLiteral("T"), QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    });
    readEveryKeptInput("fuzz_asslschema",
                       [](QIODevice& device) { return ReadAsslDatabase(device, QStringLiteral("T")); });
}
