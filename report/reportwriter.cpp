#include "report/reportwriter.h"

namespace Lorvantic {

TableShape MakeTableShape(TableShape shape) {
    shape.pageHeader = PageTableHeader(shape);
    return shape;
}

QString ReportFormatName(ReportFormat format) {
    switch (format) {
    case ReportFormat::Json:
        return QStringLiteral("json");
    case ReportFormat::Markdown:
        return QStringLiteral("markdown");
    case ReportFormat::Html:
        break;
    }
    return QStringLiteral("html");
}

bool ReportFormatNamed(QStringView name, ReportFormat& format) {
    for (const ReportFormat candidate : {ReportFormat::Html, ReportFormat::Json, ReportFormat::Markdown}) {
        if (name == ReportFormatName(candidate)) {
            format = candidate;
            return true;
        }
    }
    return false;
}

bool FormatEndsLinesWithFeedOnly(ReportFormat format) {
    return format != ReportFormat::Html;
}

std::unique_ptr<ReportWriter> MakeReportWriter(ReportFormat format, PageWriter& sink) {
    switch (format) {
    case ReportFormat::Json:
        return MakeJsonReportWriter(sink);
    case ReportFormat::Markdown:
        return MakeMarkdownReportWriter(sink);
    case ReportFormat::Html:
        break;
    }
    return MakePageReportWriter(sink);
}

} // namespace Lorvantic
