#pragma once

// The state every selector holds besides its selection: the server, the mode, the progress
// display, the pages written and where the next page goes. The kinds' own info lists live with
// the kinds.

#include "core/progress.h"
#include "core/selector.h"
#include "model/olap.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace Lorvantic {

// What a report is written as: the page, or its content as JSON or Markdown.
enum class ReportFormat { Html, Json, Markdown };

struct SelectorState {
    std::shared_ptr<Olap::Server> DSOServer;
    QString ServerName;
    qint32 InitMode = imOLAPServer;
    std::unique_ptr<ProgressWindow> progress;
    QStringList reportFiles; // every page written, in order
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
};

} // namespace Lorvantic
