#include "pagewriter.h"

#include "reportfile.h"

namespace Lorvantic {

namespace {
constexpr qsizetype FlushThreshold = 1 << 18;
}

PageWriter::PageWriter(QString path)
    : m_path(std::move(path)) {}

PageWriter::~PageWriter() {
    flush();
}

void PageWriter::AppendLine(const QString& text) {
    m_pending += text.toUtf8();
    m_pending += "\r\n";
    if (m_pending.size() >= FlushThreshold)
        flush();
}

void PageWriter::flush() noexcept {
    if (m_pending.isEmpty())
        return;
    AppendBytes(m_path, m_pending);
    m_pending.clear();
}

namespace Page {

QString RowStart() {
    return QStringLiteral("<TR bgcolor='") + QLatin1String(RowColour) + QStringLiteral("'><TD vAlign='top'>");
}

QString DataRow(std::initializer_list<QString> values) {
    QString row = RowStart();
    bool first = true;
    for (const QString& value : values) {
        if (!first)
            row += CellSeparator();
        row += value;
        first = false;
    }
    return row + RowEnd();
}

QString BackToTop(const QString& databaseName, const QString& name) {
    return QStringLiteral("<P><A NAME='") + databaseName + u'_' + name +
           QStringLiteral("' HREF='#TOP'>Back to top</A></P>");
}

} // namespace Page

} // namespace Lorvantic
