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

using namespace Qt::StringLiterals;

// Texts of every awkward kind: lone surrogates and a pair split over two texts, NULs, CR LF, each
// kind of unit at every place of a run of ASCII (which goes several units at a time) and a text
// longer than one buffered piece; then enough ordinary lines to cross the buffer's threshold
// several times.
QStringList awkwardTexts() {
    const QChar high(0xD83D), low(0xDE00);
    QStringList texts = {QString(),
                         u"Zürich & Köln <Forecast> ß é"_s,
                         QString::fromUtf16(u"\u07FF\u0800\uFFFD\uFFFF 中文 \u00A0"),
                         u"smile \U0001F600 and \U00010000"_s,
                         high + u" lone high"_s,
                         u"lone low "_s + low,
                         u"ends high "_s + high,
                         low + u" starts low"_s,
                         u"CR LF inside\r\nand a NUL "_s + QChar(0),
                         QString(300'000, u'x') + u"ü"_s};
    for (const char16_t unit :
         {u'\0', u'\u007F', u'\u0080', u'\u00FF', u'\u0100', u'\u7FFF', u'\u8000', u'\uFFFF'})
        for (qsizetype at = 0; at < 17; ++at)
            texts << QString(24, u'a').replace(at, 1, QChar(unit));
    for (int i = 0; i < 20'000; ++i)
        texts << u"<TR><TD>Enterprise Warehouse Zürich Region %1</TD></TR>"_s.arg(i);
    return texts;
}

// Lines, and for the awkward texts rows and joined pieces of each with the two after it, written
// by the page writer and by one AppendLine per line.
TEST(PageBytes, ThePageWriterWritesWhatOneAppendLinePerLineWrites) {
    const QStringList texts = awkwardTexts();
    const QString folder = freshFolder();
    const QString quick = folder + u"/quick.html"_s, plain = folder + u"/plain.html"_s;
    const auto next = [&texts](qsizetype i, int n) -> const QString& {
        return texts[(i + n) % texts.size()];
    };
    {
        PageWriter page(quick);
        for (qsizetype i = 0; i < texts.size(); ++i) {
            page.AppendLine(texts[i]);
            if (i < 150) {
                page.AppendRow({texts[i], next(i, 1), next(i, 2)}, next(i, 1));
                page.AppendJoined({texts[i], next(i, 1), u"_", next(i, 2)});
            }
        }
    }
    for (qsizetype i = 0; i < texts.size(); ++i) {
        AppendLine(plain, texts[i]);
        if (i < 150) {
            AppendLine(plain, Page::DataRow({texts[i], next(i, 1), next(i, 2)}) + next(i, 1));
            AppendLine(plain, texts[i] + next(i, 1) + u'_' + next(i, 2));
        }
    }
    const QByteArray expected = readBytes(plain);
    ASSERT_GT(expected.size(), 1'000'000);
    EXPECT_TRUE(readBytes(quick) == expected);
}

} // namespace
