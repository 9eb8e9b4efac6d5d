#pragma once

// Drives the modal selection dialog of a selector flow: each time a frmInfo is shown modally,
// the next scripted action runs on it (the last action repeats when the script runs out).

#include "dialogs/frminfo.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
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

    // The dialog's control of that name.
    template <typename Control> static Control* part(const frmInfo& dialog, const char* name) {
        auto* control = dialog.findChild<Control*>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    static QTreeView* list(const frmInfo& dialog) { return part<QTreeView>(dialog, "lstCubes"); }
    static QTreeView* tree(const frmInfo& dialog) { return part<QTreeView>(dialog, "tvInformation"); }
    static QTabWidget* tabs(const frmInfo& dialog) { return part<QTabWidget>(dialog, "tabInfo"); }
    static QCheckBox* index(const frmInfo& dialog) { return part<QCheckBox>(dialog, "chkIndex"); }
    static QString serverLabel(const frmInfo& dialog) { return part<QLabel>(dialog, "lblServer")->text(); }
    // The check box of a list row (as shown) or of the tree's top-level node with that caption.
    static QModelIndex row(const frmInfo& dialog, int shown) {
        return list(dialog)->model()->index(shown, 0);
    }
    static QModelIndex node(const frmInfo& dialog, const QString& caption) {
        const QAbstractItemModel* model = tree(dialog)->model();
        return model->match(model->index(0, 0), Qt::DisplayRole, caption, 1, Qt::MatchExactly).value(0);
    }
    static Qt::CheckState checkState(const QModelIndex& box) {
        return static_cast<Qt::CheckState>(box.data(Qt::CheckStateRole).toInt());
    }
    static void setCheckState(const QModelIndex& box, Qt::CheckState state) {
        const_cast<QAbstractItemModel*>(box.model())->setData(box, state, Qt::CheckStateRole);
    }
    static void click(const frmInfo& dialog, const char* button) {
        part<QPushButton>(dialog, button)->click();
    }

    static void pressReport(frmInfo& dialog) { click(dialog, "cmdReport"); }
    static void pressClose(frmInfo& dialog) { click(dialog, "cmdClose"); }
    static void checkAllItems(frmInfo& dialog) {
        tabs(dialog)->setCurrentIndex(0);
        click(dialog, "cmdSelAll");
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
