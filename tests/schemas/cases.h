#pragma once

// Cases kept as data files under tests/data: one case a line, its fields separated by tabs,
// lines starting with '#' left out. A field is percent-encoded where it needs a tab, a line
// break or bytes that are not UTF-8 (%09, %0A, %FF; %25 for a '%' before two hexadecimal digits).

#include "tests/support/testsupport.h"

#include <QList>
#include <cctype>
#include <gtest/gtest.h>
#include <vector>

namespace Lorvantic::Test {

using Case = QList<QByteArray>;

inline QByteArray decoded(const QByteArray& field) {
    const auto hex = [&field](qsizetype at) {
        return at < field.size() && std::isxdigit(uchar(field[at]));
    };
    QByteArray bytes;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '%' && hex(i + 1) && hex(i + 2)) {
            bytes += char(field.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            bytes += field[i];
        }
    }
    return bytes;
}

inline std::vector<Case> cases(const QString& file) {
    std::vector<Case> rows;
    for (const QByteArray& line : readBytes(dataPath(file)).split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        Case fields = line.split('\t');
        for (QByteArray& field : fields)
            field = decoded(field);
        rows.push_back(fields);
    }
    EXPECT_FALSE(rows.empty()) << file.toStdString();
    return rows;
}

inline QString text(const QByteArray& field) {
    return QString::fromUtf8(field);
}

} // namespace Lorvantic::Test
