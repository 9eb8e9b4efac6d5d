// lorvantic_checkbench: kavenor check on a large server. Generates the benchmark's 4x server
// description (about 100 MB), then times its load alone and the check with every rule on (load,
// rules, the JSON output written); prints both and the goal: the check at most 1.5 times the
// load.
//
//   lorvantic_checkbench [--megabytes N] [--repeat N] [--keep FOLDER]
//
// Times are processor time of the process and wall clock, each the quickest of N runs (default
// 3). The goal is judged on processor time. --keep leaves the description in FOLDER.

#include "bench/generator.h"
#include "bench/measure.h"
#include "check/output.h"
#include "external/readers/serverfiles.h"
#include "report/pagewriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace Lorvantic;
using Bench::measure;
using Bench::Print;
using Bench::Time;

namespace {

Time quickest(int repeat, const std::function<void()>& step) {
    Time best{1e30, 1e30};
    for (int r = 0; r < repeat; ++r) {
        const Time one = measure(step);
        best = {std::min(best.wall, one.wall), std::min(best.cpu, one.cpu)};
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qint64 megabytes = 100;
    int repeat = 3;
    QString keep;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray option = argv[i];
        if (option == "--megabytes")
            megabytes = std::max(1LL, QByteArray(argv[i + 1]).toLongLong());
        else if (option == "--repeat")
            repeat = std::max(1, QByteArray(argv[i + 1]).toInt());
        else if (option == "--keep")
            keep = QString::fromLocal8Bit(argv[i + 1]);
    }
    QTemporaryDir temporary(QDir(QStringLiteral("/dev/shm")).exists()
                                ? QStringLiteral("/dev/shm/lorvantic-checkbench-XXXXXX")
                                : QDir::tempPath() + QStringLiteral("/lorvantic-checkbench-XXXXXX"));
    const QString folder = keep.isEmpty() ? temporary.path() : keep;
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/server-4x.json");
    std::FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out || Bench::GenerateDescription(Bench::BenchmarkServerOptions(megabytes * 1'000'000), out) < 0 ||
        std::fclose(out) != 0)
        qFatal("cannot write %s", qPrintable(path));

    Check::Settings settings = Check::DefaultSettings();
    for (Check::RuleSetting& rule : settings.rules)
        rule.enabled = true;
    std::size_t findings = 0;
    const Time load = quickest(repeat, [&] { Olap::LoadServerDescription(path, path); });
    const QString output = folder + QStringLiteral("/check.json");
    const Time check = quickest(repeat, [&] {
        QFile::remove(output);
        Check::Outcome outcome{QStringLiteral("bench"), path, {}, 0};
        outcome.findings = Check::RunRules(Olap::LoadServerDescription(path, path), settings, false);
        findings = outcome.findings.size();
        PageWriter writer(output, true);
        Check::WriteJson(writer, outcome);
    });
    Print("%-22s %.1f MB\n", "server", static_cast<double>(QFileInfo(path).size()) / 1e6);
    Print("%-22s %8.3f s cpu %8.3f s wall\n", "load", load.cpu, load.wall);
    Print("%-22s %8.3f s cpu %8.3f s wall (%zu findings, every rule on)\n", "check", check.cpu, check.wall,
          findings);
    const double ratio = check.cpu / load.cpu;
    Print("goal %-52s %8.2f <= %6.2f %s\n", "check / load", ratio, 1.5, ratio <= 1.5 ? "met" : "MISSED");
    return ratio <= 1.5 ? 0 : 1;
}
