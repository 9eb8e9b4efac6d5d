#pragma once

// The state every selector holds, in the order the public classes declare it, and the
// operations each kind of selector brings to the shared flow. The kinds' own info lists live
// with the kinds.

#include "core/enums.h"
#include "core/progress.h"
#include "core/variantgrid.h"
#include "model/olap.h"
#include "lorvantic_export.h"

#include <QString>
#include <functional>
#include <memory>

namespace Lorvantic {

// What a report is written as: the page, or its content as JSON or Markdown.
enum class ReportFormat { Html, Json, Markdown };

struct LORVANTIC_EXPORT SelectorState {
    std::shared_ptr<Olap::Server> DSOServer;
    QString ServerName;
    qint32 InitMode = imOLAPServer;
    VariantGrid catalogueRows; // first tab: (column 0-4, row 0-n-1)
    VariantGrid infoTreeRows;  // second tab: (row 1-m, column 0-3)
    std::unique_ptr<ProgressWindow> progress;
    VariantGrid reportFiles; // no bounds until the first page
    bool indexOption = false;
    // Where report pages go and whether they are opened: a new report file in the temporary
    // folder, opened in the browser, unless a caller such as the command line says otherwise.
    std::function<bool(QString& path)> pageFile;
    bool openPages = true;
    ReportFormat pageFormat = ReportFormat::Html;

    bool applicationMode() const { return InitMode == imApplication; }
    // The progress window when the selector runs in application mode and has one open.
    ProgressWindow* progressWindow() const { return applicationMode() ? progress.get() : nullptr; }
    // Advance the bar, or show a status, on that window if there is one; pending events run after.
    void advanceProgress(float step) const;
    void showStatus(const QString& status) const;
    // The status a catalogue shows while it opens a database; the text is made only for a window.
    void showOpeningDatabase(const Olap::Store& database) const;

    // True when the information-tree row's checked cell holds true. With strict, only a
    // Boolean true counts ("equals true"); otherwise anything that converts to true does
    // (empty and null count as not checked).
    bool categoryChecked(qint32 row, bool strict = true) const;
};

// What each kind of selector brings to the flow: the catalogue, the column arrays, the
// information tree, the collection step and the report run.
class LORVANTIC_EXPORT SelectorKind {
public:
    virtual ~SelectorKind() = default;
    virtual void GetCatalogue() = 0;
    virtual void GetColumnHeaders(VariantGrid& aColHead) const = 0;
    virtual void GetColumnAligns(VariantGrid& aColAlign) const = 0;
    virtual void GetColumnWidths(VariantGrid& aColWidth) const = 0;
    virtual void GetInfoTree() = 0;
    virtual void RetrieveInfo() = 0;
    virtual void CreateReport() = 0;
};

} // namespace Lorvantic
