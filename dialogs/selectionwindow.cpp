#include "dialogs/selectionwindow.h"

#include "core/selector.h"
#include "dialogs/frminfo.h"
#include "dialogs/help.h"

namespace Lorvantic {

SelectionWindow::SelectionWindow(SelectionWindowTexts texts)
    : m_texts(std::move(texts))
    , m_dialog(std::make_unique<frmInfo>()) {
    QObject::connect(m_dialog.get(), &frmInfo::helpRequested, m_dialog.get(),
                     [](qint32 id) { ShowHelpTopic(id); });
}

SelectionWindow::~SelectionWindow() = default;

void SelectionWindow::Offer(const Selection& selection) {
    m_dialog->setSelection(selection);
}

// The caption's first touch loads the dialog. A dialog with its own first tab's caption takes
// its help topic after the stored marks, the others before.
void SelectionWindow::prepare() {
    m_prepared = true;
    m_dialog->setCaption(m_texts.caption);
    const bool helpFirst = !m_texts.firstTabCaption.has_value();
    if (helpFirst)
        m_dialog->setHelpContextID(m_texts.helpContextId);
    m_dialog->LoadCheckedItems(m_texts.settingsSection);
    m_dialog->setServerText(QStringLiteral("OLAP Server:   ") + m_texts.serverName);
    if (!helpFirst) {
        m_dialog->setHelpContextID(m_texts.helpContextId);
        m_dialog->setFirstTabCaption(*m_texts.firstTabCaption);
    }
}

bool SelectionWindow::AskForReport(Selection& selection, bool& index) {
    if (!m_prepared)
        prepare();
    m_dialog->exec();
    m_dialog->SaveCheckedItems(m_texts.settingsSection);
    if (m_dialog->LastAction() != laReport)
        return false;
    m_dialog->LastAction(laCancel);
    selection = m_dialog->selection();
    index = m_dialog->indexChecked();
    return true;
}

} // namespace Lorvantic
