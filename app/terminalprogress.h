#pragma once

#include "core/progress.h"

#include <cstdio>

namespace Lorvantic::Cli {

// One line on a terminal that shows the bar's value and the status, rewritten in place.
class TerminalProgress : public ProgressWindow {
public:
    explicit TerminalProgress(std::FILE* stream)
        : m_stream(stream) {}
    void Progress(float nProgress) override;
    void Status(const QString& sStatus) override;
    void Close() override;

private:
    void draw();

    std::FILE* m_stream;
    float m_value = 0;
    QString m_status;
};

} // namespace Lorvantic::Cli
