#include "tests/support/testsupport.h"

#include "external/readers/serverfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

namespace Lorvantic::Test {

MessageAnswer RecordingPresenter::show(const Message& message) {
    shown.push_back(message);
    if (!answers.empty()) {
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return message.buttons == MessageButtons::YesNo ? message.defaultAnswer : MessageAnswer::OK;
}

QStringList RecordingPresenter::texts() const {
    QStringList list;
    for (const Message& m : shown)
        list << m.text;
    return list;
}

RecordingPresenter& presenter() {
    static RecordingPresenter instance;
    return instance;
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<QString>& value)
    : m_name(name) {
    if (qEnvironmentVariableIsSet(name))
        m_old = qgetenv(name);
    if (value)
        qputenv(name, value->toUtf8());
    else
        qunsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (m_old)
        qputenv(m_name.constData(), *m_old);
    else
        qunsetenv(m_name.constData());
}

bool waitUntil(const std::function<bool()>& predicate, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!predicate()) {
        if (timer.elapsed() > timeoutMs)
            return predicate();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QString dataPath(const QString& name) {
    return QStringLiteral(LORVANTIC_TEST_DATA "/") + name;
}

std::shared_ptr<Olap::ServerData> serverFile(const QString& name) {
    const QString path = dataPath(QStringLiteral("servers/") + name);
    return std::make_shared<Olap::ServerData>(Olap::LoadServerDescription(name, path));
}

std::shared_ptr<Olap::Server> connectedServer(const QString& name) {
    std::shared_ptr<Olap::Server> server = Olap::CreateServer();
    server->Connect(name);
    return server;
}

QString freshFolder() {
    static std::vector<std::unique_ptr<QTemporaryDir>> folders;
    folders.push_back(std::make_unique<QTemporaryDir>());
    return folders.back()->path();
}

} // namespace Lorvantic::Test
