#include "bench/livebench.h"

#include "bench/generator.h"
#include "bench/measure.h"
#include "external/xmla/connection.h"
#include "external/xmla/xmlaserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ; // NOLINT(readability-redundant-declaration): posix_spawn's environment

namespace Lorvantic::Bench {

using namespace Qt::StringLiterals;

namespace {

// Requests in flight at once: as many as the reader keeps, so that both wait alike.
constexpr int InFlight = 3;

QString serverScript() {
    return QStringLiteral(LORVANTIC_SOURCE_DIR "/tests/xmla/server.sh");
}

// The test server of tests/xmla, started over the schema and stopped when this goes.
class LiveServer {
public:
    LiveServer(const QString& state, const QString& schema)
        : m_state(state) {
        QProcess start;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!environment.contains(QStringLiteral("XMLA_START_TIMEOUT")))
            environment.insert(QStringLiteral("XMLA_START_TIMEOUT"), QStringLiteral("600"));
        if (!environment.contains(QStringLiteral("XMLA_JAVA_HEAP")))
            environment.insert(QStringLiteral("XMLA_JAVA_HEAP"), QStringLiteral("2g"));
        start.setProcessEnvironment(environment);
        start.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        start.start(serverScript(), {QStringLiteral("start"), state, schema});
        if (!start.waitForFinished(900'000) || start.exitCode() != 0) {
            m_status = start.exitCode();
            return;
        }
        QFile url(state + QStringLiteral("/url"));
        if (url.open(QIODevice::ReadOnly))
            m_url = QString::fromUtf8(url.readAll().trimmed());
    }
    ~LiveServer() { QProcess::execute(serverScript(), {QStringLiteral("stop"), m_state}); }
    LiveServer(const LiveServer&) = delete;
    LiveServer& operator=(const LiveServer&) = delete;

    const QString& url() const { return m_url; }
    int status() const { return m_status; }

private:
    QString m_state;
    QString m_url;
    int m_status = 0;
};

// The TLS front of tests/xmla/front.py before the server, answering in gzip, with a certificate
// authority made for the run; LORVANTIC_XMLA_CA_FILE names it for this process and kavenor.
class TlsGzipFront {
public:
    TlsGzipFront(const QString& folder, const QString& upstream) {
        const auto openssl = [&](const QString& arguments) {
            QProcess::execute(QStringLiteral("sh"),
                              {QStringLiteral("-c"),
                               u"cd '"_s + folder + u"' && openssl "_s + arguments + u" 2>/dev/null"_s});
        };
        openssl(u"req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key "
                "-out ca.pem -days 2 -subj /CN=bench"_s);
        openssl(u"req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout front.key "
                "-out front.csr -subj /CN=127.0.0.1"_s);
        QFile extension(folder + u"/front.ext"_s);
        if (extension.open(QIODevice::WriteOnly))
            extension.write("subjectAltName=IP:127.0.0.1\n");
        extension.close();
        openssl(u"x509 -req -in front.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 "
                "-extfile front.ext -out front.pem"_s);
        qputenv("LORVANTIC_XMLA_CA_FILE", QFile::encodeName(folder + u"/ca.pem"_s));
        m_front.setWorkingDirectory(folder);
        m_front.start(u"python3"_s, {QStringLiteral(LORVANTIC_SOURCE_DIR "/tests/xmla/front.py"), u"front"_s,
                                     u"--upstream"_s, upstream, u"--tls"_s, u"front.pem"_s, u"front.key"_s,
                                     u"--gzip"_s, u"--port-file"_s, u"port"_s, u"--log"_s, u"front.log"_s});
        QFile port(folder + u"/port"_s);
        for (int i = 0; i < 200 && !port.exists(); ++i)
            QThread::msleep(50);
        if (port.open(QIODevice::ReadOnly))
            m_url = u"https://127.0.0.1:"_s + QString::fromUtf8(port.readAll().trimmed()) + u"/xmla"_s;
    }
    ~TlsGzipFront() {
        m_front.kill();
        m_front.waitForFinished();
    }
    TlsGzipFront(const TlsGzipFront&) = delete;
    TlsGzipFront& operator=(const TlsGzipFront&) = delete;
    const QString& url() const { return m_url; }

private:
    QProcess m_front;
    QString m_url;
};

// Sends the same requests, round by round, and only counts the answers' bytes: the time the
// transfer alone takes, the server's work included.
double receiveOnly(const QString& url, const std::vector<std::vector<QByteArray>>& rounds, qint64& bytes) {
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    if (url.startsWith(u"https:"_s))
        request.setSslConfiguration(Olap::Xmla::TlsConfigurationFromEnvironment(u"bench"_s));
    request.setDecompressedSafetyCheckThreshold(-1);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/xml; charset=utf-8"));
    request.setRawHeader("SOAPAction", "\"urn:schemas-microsoft-com:xml-analysis:Discover\"");
    bytes = 0;
    QElapsedTimer clock;
    clock.start();
    for (const std::vector<QByteArray>& round : rounds) {
        QEventLoop loop;
        std::size_t next = 0;
        int running = 0;
        std::function<void()> startNext = [&] {
            while (running < InFlight && next < round.size()) {
                QNetworkReply* reply = manager.post(request, round[next++]);
                ++running;
                QObject::connect(reply, &QNetworkReply::readyRead, &loop,
                                 [&, reply] { bytes += reply->readAll().size(); });
                QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply] {
                    bytes += reply->readAll().size();
                    reply->deleteLater();
                    --running;
                    startNext();
                    if (running == 0)
                        loop.quit();
                });
            }
        };
        startNext();
        if (running > 0)
            loop.exec();
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

struct ChildRun {
    double seconds = 0;
    double peakMB = 0;
    int status = -1;
};

// Runs a program to its end with its output in log. Its peak resident memory is read from its
// own status while it runs: the kernel's end-of-run account (wait4) would also count this
// process's memory, which a spawned child inherits until it executes the program.
ChildRun runChild(const QStringList& arguments, const QString& log) {
    std::vector<QByteArray> bytes;
    bytes.reserve(static_cast<std::size_t>(arguments.size()));
    for (const QString& argument : arguments)
        bytes.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    argv.reserve(bytes.size() + 1);
    for (QByteArray& argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray logName = QFile::encodeName(log);
    posix_spawn_file_actions_addopen(&actions, 1, logName.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    ChildRun run;
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        qint64 peak = 0;
        int status = 0;
        pid_t ended = 0;
        while ((ended = waitpid(pid, &status, WNOHANG)) == 0) {
            peak = std::max(peak, StatusKilobytes(QStringLiteral("/proc/%1/status").arg(pid), "VmHWM"));
            usleep(2000);
        }
        if (ended == pid) {
            run.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            run.peakMB = static_cast<double>(peak) * 1024 / 1e6;
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

struct Goal {
    const char* text;
    double value;
    double limit;
};

} // namespace

int RunLiveBench(const LiveOptions& options) {
    QTemporaryDir temporary(QDir::tempPath() + QStringLiteral("/lorvantic-live-XXXXXX"));
    const QString folder = options.keep.isEmpty() ? temporary.path() : options.keep;
    QDir().mkpath(folder);
    const QString schema = folder + QStringLiteral("/Generated.xml");
    {
        QFile file(schema);
        if (!file.open(QIODevice::WriteOnly) || file.write(GenerateMondrianSchema(options.cubes)) < 0)
            qFatal("cannot write %s", qPrintable(schema));
    }
    Print("%-26s %d cubes in one catalogue, schema %.1f MB (%s)\n", "live server", options.cubes,
          static_cast<double>(QFileInfo(schema).size()) / 1e6, qPrintable(schema));

    QElapsedTimer startClock;
    startClock.start();
    const LiveServer server(folder + QStringLiteral("/server"), schema);
    if (server.url().isEmpty()) {
        // 77: the server's packages are missing; say so and leave the other figures standing.
        Print("live server: not started (server.sh exit %d; scripts/setup.sh installs Java and Mondrian)\n",
              server.status());
        return server.status() == 77 ? 0 : 1;
    }
    Print("%-26s %.1f s to start and load the schema (%s)\n", "server start",
          static_cast<double>(startClock.elapsed()) / 1000, qPrintable(server.url()));
    std::optional<TlsGzipFront> front;
    if (options.tlsGzip) {
        front.emplace(folder, server.url());
        if (front->url().isEmpty())
            qFatal("the TLS front did not start (python3 and openssl are needed; see %s)",
                   qPrintable(folder));
        Print("%-26s %s (TLS, gzip)\n", "through the front", qPrintable(front->url()));
    }
    const QString url = front ? front->url() : server.url();

    // The first read fills the server's own caches; the runs after it are measured.
    Olap::XmlaTransfer transfer;
    Olap::ReadXmlaServer(url, &transfer);
    double read = 1e9;
    double receive = 1e9;
    ChildRun report{1e9, 0, 0};
    qint64 received = 0;
    const QString page = folder + QStringLiteral("/cubes.html");
    const QString log = folder + QStringLiteral("/kavenor.log");
    for (int r = 0; r < options.repeat; ++r) {
        receive = std::min(receive, receiveOnly(url, transfer.rounds, received));
        Olap::XmlaTransfer again;
        Olap::ReadXmlaServer(url, &again);
        read = std::min(read, static_cast<double>(again.milliseconds) / 1000);
        const ChildRun run = runChild({QStringLiteral(LORVANTIC_KAVENOR_PROGRAM), QStringLiteral("report"),
                                       QStringLiteral("cubes"), QStringLiteral("--server"), url,
                                       QStringLiteral("--index"), QStringLiteral("--output"), page},
                                      log);
        if (run.status != 0)
            qFatal("kavenor report failed (exit %d); see %s", run.status, qPrintable(log));
        report.seconds = std::min(report.seconds, run.seconds);
        report.peakMB = std::max(report.peakMB, run.peakMB);
    }
    const ChildRun idle =
        runChild({QStringLiteral(LORVANTIC_KAVENOR_PROGRAM), QStringLiteral("--version")}, log);
    const double largestMB = static_cast<double>(transfer.largestAnswer) / 1e6;

    Print("%-26s %d in %zu rounds, %.1f MB received (largest answer %.1f MB)\n", "requests",
          transfer.requests, transfer.rounds.size(), static_cast<double>(transfer.bytes) / 1e6, largestMB);
    Print("%-26s %8.3f s (%.1f MB, %d in flight, answers not read)\n", "receive only", receive,
          static_cast<double>(received) / 1e6, InFlight);
    Print("%-26s %8.3f s\n", "read into the model", read);
    Print("%-26s %8.3f s wall (kavenor report cubes --index, %.1f MB page)\n", "whole report", report.seconds,
          static_cast<double>(QFileInfo(page).size()) / 1e6);
    Print("%-26s %.1f MB peak; %.1f MB for kavenor --version\n", "report memory", report.peakMB, idle.peakMB);

    const std::vector<Goal> goals = {
        {"whole report / receive only", report.seconds / receive, 1.5},
        {"report peak memory above start-up / largest answer", (report.peakMB - idle.peakMB) / largestMB,
         3.0},
    };
    int missed = 0;
    for (const Goal& goal : goals) {
        const bool met = goal.value <= goal.limit;
        missed += met ? 0 : 1;
        Print("goal %-52s %8.2f <= %6.2f %s\n", goal.text, goal.value, goal.limit, met ? "met" : "MISSED");
    }
    return missed == 0 ? 0 : 1;
}

} // namespace Lorvantic::Bench
