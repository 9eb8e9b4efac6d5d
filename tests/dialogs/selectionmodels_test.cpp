// Sort keys must order texts exactly as the case-insensitive comparison does, for every kind of
// code unit: a single disagreement puts a list row in the wrong place after a header click.

#include "dialogs/selectionmodels.h"
#include "tests/support/testsupport.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace Lorvantic;

namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
}

// The code units in hex, which a failure message can show whatever they are.
std::string units(const QString& text) {
    std::string shown;
    for (const QChar c : text)
        shown += QString::number(c.unicode(), 16).toStdString() + ' ';
    return shown;
}

// Every code unit alone (lone surrogates included), pairs of every low surrogate with a few
// high ones, surrogates beside other units, prefixes, and words whose folding is known to bite.
std::vector<QString> everyKindOfText() {
    std::vector<QString> texts;
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit)
        texts.push_back(QString(QChar(static_cast<char16_t>(unit))));
    for (const char16_t high : {u'\xD800', u'\xD801', u'\xD83D', u'\xDBFF'}) {
        for (char32_t low = 0xDC00; low <= 0xDFFF; ++low)
            texts.push_back(QString(QChar(high)) + QChar(static_cast<char16_t>(low)));
        texts.push_back(QString(QChar(high)) + u'a');
        texts.push_back(QStringLiteral("a") + QChar(high));
    }
    texts.push_back(QStringLiteral("a") + QChar(u'\xDC00'));
    texts.push_back(QString(QChar(u'\xDC00')) + QChar(u'\xD800'));
    // Split at '|': the empty text first.
    const QString words =
        QString::fromUtf16(u"|a|ab|aB|a b|sales|Sales|SALES 2|Sales 10|Straße|STRASSE|strasse|"
                           u"ΣΊΣΥΦΟΣ|σίσυφος|Köln|KÖLN|Koln|İstanbul|istanbul|ǅemal|ǆemal|"
                           u"\uFF21 wide|\uFF41 wide|\U00010400 upper|\U00010428 lower|\U0001F600");
    for (const QString& word : words.split(u'|'))
        texts.push_back(word);
    return texts;
}

TEST(SortKeys, OrderEveryKindOfCodeUnitAsTheCaseInsensitiveComparison) {
    std::vector<QString> texts = everyKindOfText();
    std::stable_sort(texts.begin(), texts.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    // Both orders are total, so agreeing on every neighbour in one's order means agreeing on
    // every pair.
    std::u32string previous = CaseInsensitiveKey(texts.front());
    for (std::size_t i = 1; i < texts.size(); ++i) {
        const std::u32string key = CaseInsensitiveKey(texts[i]);
        ASSERT_EQ(sign(previous.compare(key)), sign(texts[i - 1].compare(texts[i], Qt::CaseInsensitive)))
            << units(texts[i - 1]) << "/ " << units(texts[i]);
        previous = key;
    }
}

} // namespace
