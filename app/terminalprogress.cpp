#include "app/terminalprogress.h"

#include <cmath>

namespace Lorvantic::Cli {

void TerminalProgress::Progress(float nProgress) {
    m_value = std::fmin(100.0F, m_value + nProgress);
    draw();
}

void TerminalProgress::Status(const QString& sStatus) {
    m_status = sStatus;
    m_status.replace(QStringLiteral("\r\n"), QStringLiteral(" - "));
    draw();
}

void TerminalProgress::Close() {
    std::fputs("\r\033[K", m_stream);
    std::fflush(m_stream);
    m_value = 0;
    m_status.clear();
}

void TerminalProgress::draw() {
    std::fprintf(m_stream, "\r\033[K[%3d%%] %s", static_cast<int>(m_value), m_status.toUtf8().constData());
    std::fflush(m_stream);
}

} // namespace Lorvantic::Cli
