#pragma once

// The progress window: a small tool window with a bar (0 to 100) and a status text that the
// catalogue, collection and report steps feed while they work. It takes no input.

#include "core/progress.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <memory>

namespace Lorvantic {

class frmProgress : public QWidget, public ProgressWindow {
    Q_OBJECT
public:
    // Created without an owner, centred on the screen; its users show it.
    frmProgress();
    ~frmProgress() override;

    QProgressBar* prgBar;
    QGroupBox* frStatus;
    QLabel* lblStatus;

    // Advances the bar; once full it stays full, and a negative amount moves it back, never
    // below empty.
    void Progress(float nProgress) override;
    void Status(const QString& sStatus) override;
    // Closes the window; only its users can, not the window's frame.
    void Close() override;

    // The bar's position, which the bar itself shows rounded to whole numbers.
    float value() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    float m_value = 0.0F;
    bool m_closing = false;
};

// A new progress window, shown without a modal request.
std::unique_ptr<frmProgress> ShowProgressWindow();

} // namespace Lorvantic
