#pragma once

#include "core/messages.h"
#include "model/error.h"
#include "model/olap.h"
#include "model/servermodel.h"

#include <QByteArray>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

// Texts and lists of texts show as text when a comparison fails.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace Lorvantic::Test {

// Records every message the component shows and answers from a queue (default: the box's
// default answer). The test main installs one; tests reach it through presenter().
class RecordingPresenter : public MessagePresenter {
public:
    MessageAnswer show(const Message& message) override;

    std::vector<Message> shown;
    std::deque<MessageAnswer> answers;

    QStringList texts() const;
    void clear() {
        shown.clear();
        answers.clear();
    }
};

RecordingPresenter& presenter();

// Sets (or, with nullopt, unsets) an environment variable for the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<QString>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray m_name;
    std::optional<QByteArray> m_old;
};

// How a call failed: its error's number and description; number 0 when it did not fail.
struct Failure {
    qint32 number = 0;
    QString description;
};
template <class Call> Failure failureOf(Call&& call) {
    try {
        call();
    } catch (const Error& e) {
        return {e.number(), e.description()};
    }
    return {};
}

// Processes events until the predicate holds or the time runs out; returns the predicate.
bool waitUntil(const std::function<bool()>& predicate, int timeoutMs = 5000);

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);
// A file under tests/data.
QString dataPath(const QString& name);
// A server description under tests/data/servers, read by the real reader.
std::shared_ptr<Olap::ServerData> serverFile(const QString& name);
// A server object connected to the description or address name.
std::shared_ptr<Olap::Server> connectedServer(const QString& name);
// A fresh, empty folder for this test (removed at the end of the test program).
QString freshFolder();

} // namespace Lorvantic::Test
