#pragma once

// Drives the modal selection dialog of a selector flow: each time a frmInfo is shown modally,
// the next scripted action runs on it (the last action repeats when the script runs out).

#include "dialogs/frminfo.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

namespace Lorvantic::Test {

class FlowDriver : public QObject {
public:
    using Action = std::function<void(frmInfo&)>;

    FlowDriver() { qApp->installEventFilter(this); }
    ~FlowDriver() override { qApp->removeEventFilter(this); }

    void then(Action action) { m_script.push_back(std::move(action)); }

    int showings = 0;
    bool sawProgressWindow = false;

    static void pressReport(frmInfo& dialog) { dialog.cmdReport->click(); }
    static void pressClose(frmInfo& dialog) { dialog.cmdClose->click(); }
    static void checkAllItems(frmInfo& dialog) {
        dialog.tabInfo->setCurrentIndex(0);
        dialog.cmdSelAll->click();
    }
    static void reportAllItems(frmInfo& dialog) {
        checkAllItems(dialog);
        pressReport(dialog);
    }

protected:
    // Each showing of a selection dialog gets the next action, once its modal loop runs.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        if (watched->objectName() == QLatin1String("frmProgress"))
            sawProgressWindow = true;
        if (auto* dialog = qobject_cast<frmInfo*>(watched)) {
            ++showings;
            Action action = m_script.empty() ? Action(&pressClose) : m_script.front();
            if (m_script.size() > 1)
                m_script.pop_front();
            QPointer<frmInfo> target(dialog);
            QTimer::singleShot(0, dialog, [this, target, action, showing = showings] {
                if (!target || !target->isVisible())
                    return;
                action(*target);
                // A dialog the action left open would hold the flow in its modal loop for good.
                QTimer::singleShot(20000, this, [this, target, showing] {
                    if (target && target->isVisible() && showings == showing) {
                        ADD_FAILURE() << "the selection dialog was still open";
                        target->done(QDialog::Rejected);
                    }
                });
            });
        }
        return false;
    }

private:
    std::deque<Action> m_script;
};

} // namespace Lorvantic::Test
