#pragma once

// Cases kept as data files under tests/data: one case a line, its fields separated by tabs,
// lines starting with '#' left out. A field is percent-encoded where it needs a tab, a line
// break, a '%' or bytes that are not UTF-8 (%09, %0A, %25, %FF).

#include "tests/support/testsupport.h"

#include <QList>
#include <gtest/gtest.h>
#include <vector>

namespace Lorvantic::Test {

using Case = QList<QByteArray>;

inline std::vector<Case> cases(const QString& file) {
    std::vector<Case> rows;
    for (const QByteArray& line : readBytes(dataPath(file)).split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        Case fields = line.split('\t');
        for (QByteArray& field : fields)
            field = QByteArray::fromPercentEncoding(field);
        rows.push_back(fields);
    }
    EXPECT_FALSE(rows.empty()) << file.toStdString();
    return rows;
}

inline QString text(const QByteArray& field) {
    return QString::fromUtf8(field);
}

} // namespace Lorvantic::Test
