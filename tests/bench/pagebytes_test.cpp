// The quick paths of page writing give the bytes of the plain ones: the buffered page writer
// against one AppendLine per line, data rows against plain joining. (The cube indexes against
// walking the cubes: tests/external/cubeusers_test.cpp.)

#include "bench/generator.h"
#include "report/pagewriter.h"
#include "report/reportfile.h"
#include "tests/support/testsupport.h"

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
