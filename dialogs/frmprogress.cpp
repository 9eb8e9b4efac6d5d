#include "dialogs/frmprogress.h"

#include "dialogs/formsupport.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <cmath>

namespace Lorvantic {

frmProgress::frmProgress()
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Work in progress"));

    prgBar = new QProgressBar(this);
    prgBar->setObjectName(QStringLiteral("prgBar"));
    prgBar->setTextVisible(false);

    frStatus = new QGroupBox(QStringLiteral("Status:"), this);
    frStatus->setObjectName(QStringLiteral("frStatus"));
    lblStatus = new QLabel(frStatus);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setWordWrap(true);
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* statusLayout = new QVBoxLayout(frStatus);
    statusLayout->addWidget(lblStatus);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prgBar);
    layout->addWidget(frStatus, 1);

    setFixedSize(TwipsToPixelsX(5400, this), TwipsToPixelsY(2000, this));
    prgBar->setMinimum(0);
    prgBar->setMaximum(100);
    prgBar->setValue(0);
    CenterForm(this);
}

frmProgress::~frmProgress() = default;

void frmProgress::Progress(float nProgress) {
    const auto maximum = static_cast<float>(prgBar->maximum());
    const auto minimum = static_cast<float>(prgBar->minimum());
    // Past the end (or no number at all) the bar is full and the amount counts as nothing.
    const float sum = m_value + nProgress;
    m_value = sum <= maximum ? sum : maximum;
    m_value = std::max(m_value, minimum);
    prgBar->setValue(static_cast<int>(std::lround(m_value)));
}

void frmProgress::Status(const QString& sStatus) {
    lblStatus->setText(sStatus);
}

void frmProgress::Close() {
    m_closing = true;
    close();
}

float frmProgress::value() const {
    return m_value;
}

void frmProgress::closeEvent(QCloseEvent* event) {
    // The window stays while work goes on; its users close it.
    if (m_closing)
        event->accept();
    else
        event->ignore();
}

std::unique_ptr<frmProgress> ShowProgressWindow() {
    auto window = std::make_unique<frmProgress>();
    window->show();
    return window;
}

} // namespace Lorvantic
