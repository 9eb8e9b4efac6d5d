// A header click sorts the list exactly as comparing its texts without regard to letter case
// does, whatever the texts hold; equal texts keep their order.

#include "core/grids.h"
#include "dialogs/frminfo.h"

#include <QHeaderView>
#include <algorithm>
#include <gtest/gtest.h>

using namespace Lorvantic;

namespace {

QStringList awkwardNames() {
    return {
        QStringLiteral("sales"),
        QStringLiteral("Sales"),
        QStringLiteral("SALES 2"),
        QStringLiteral("Sales 10"),
        QStringLiteral("sales 1"),
        QString(),
        QStringLiteral("Straße"),
        QStringLiteral("STRASSE"),
        QStringLiteral("strasse"),
        QStringLiteral("ΣΊΣΥΦΟΣ"),
        QStringLiteral("σίσυφος"),
        QStringLiteral("Köln"),
        QStringLiteral("KÖLN"),
        QStringLiteral("Koln"),
        QString::fromUtf16(u"\U00010400 upper"),
        QString::fromUtf16(u"\U00010428 lower"),
        QString::fromUtf16(u"\U0001F600"),
        QString(QChar(0xD801)) + QStringLiteral(" lone"),
        QStringLiteral("lone ") + QChar(0xDC00),
        QString::fromUtf16(u"\uFF21 wide"),
        QString::fromUtf16(u"\uFF41 wide"),
        QStringLiteral("İstanbul"),
        QStringLiteral("istanbul"),
        QStringLiteral("ǅemal"),
        QStringLiteral("ǆemal"),
        QStringLiteral("Sales"),
    };
}

QStringList listed(const QTreeWidget& list, int column) {
    QStringList texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        texts << list.topLevelItem(i)->text(column);
    return texts;
}

// The texts in the order of a stable sort comparing them without regard to letter case.
QStringList stableSorted(QStringList texts, Qt::SortOrder order) {
    std::stable_sort(texts.begin(), texts.end(), [order](const QString& a, const QString& b) {
        const int compared = a.compare(b, Qt::CaseInsensitive);
        return order == Qt::AscendingOrder ? compared < 0 : compared > 0;
    });
    return texts;
}

TEST(ListSort, AHeaderClickSortsAsTheCaseInsensitiveComparisonDoes) {
    const QStringList names = awkwardNames();
    VariantGrid rows;
    rows.redim(CatalogueColumn::Database, CatalogueColumn::Checked, 0, static_cast<qint32>(names.size()) - 1);
    for (qint32 r = 0; r < names.size(); ++r) {
        rows.at(CatalogueColumn::Database, r) = QStringLiteral("Database %1").arg(r); // unique keys
        rows.at(CatalogueColumn::Name, r) = names[r];
        rows.at(CatalogueColumn::Size, r) = QString(names[names.size() - 1 - r]);
        rows.at(CatalogueColumn::Status, r) = QString();
        rows.at(CatalogueColumn::Checked, r) = false;
    }
    VariantGrid headers, aligns, widths;
    headers.redim(0, 3);
    aligns.redim(0, 3);
    widths.redim(0, 3);
    for (qint32 i = 0; i <= 3; ++i) {
        headers.at(i) = QStringLiteral("Column %1").arg(i);
        aligns.at(i) = 0;
        widths.at(i) = 1000;
    }
    frmInfo form;
    form.SetFirstTab(rows);
    form.ColumnHeaders(headers);
    form.ColumnAlign(aligns);
    form.ColumnWidth(widths);
    form.setCaption(QStringLiteral("Cubes"));

    for (const int column : {1, 2, 1}) {
        // A first click sorts ascending, a second one descending.
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            const QStringList expected = stableSorted(listed(*form.lstCubes, column), order);
            Q_EMIT form.lstCubes->header()->sectionClicked(column);
            EXPECT_EQ(listed(*form.lstCubes, column), expected) << "column " << column << " order " << order;
        }
    }
}

} // namespace
