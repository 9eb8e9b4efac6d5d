#pragma once

// The selection dialog as the selector flow asks for it: a frmInfo shown modally until the user
// asks for a report or leaves, its check marks kept in the per-user settings.

#include "selection/selectiondialog.h"

#include <QString>
#include <memory>
#include <optional>

namespace Lorvantic {

class frmInfo;

struct SelectionWindowTexts {
    QString caption;                        // "Cube Information"
    qint32 helpContextId = 0;               // 20110
    std::optional<QString> firstTabCaption; // "&Dimensions"; none: the dialog's own
    QString settingsSection;                // "Cubes"
    QString serverName;                     // shown as "OLAP Server:   " + name
};

class SelectionWindow : public SelectionDialog {
public:
    // Needs a QApplication; F1 in the dialog opens its help topic.
    explicit SelectionWindow(SelectionWindowTexts texts);
    ~SelectionWindow() override;
    SelectionWindow(const SelectionWindow&) = delete;
    SelectionWindow& operator=(const SelectionWindow&) = delete;

    void Offer(const Selection& selection) override;
    // The first call loads the dialog with what was offered and the marks the settings keep.
    bool AskForReport(Selection& selection, bool& index) override;

private:
    void prepare();

    SelectionWindowTexts m_texts;
    std::unique_ptr<frmInfo> m_dialog;
    bool m_prepared = false;
};

} // namespace Lorvantic
