// lorvantic_diffbench: the diff of two large servers. Generates the benchmark's 4x server
// description (about 100 MB) and a copy with a few hundred scattered changes, loads both and
// compares them (catalogue and collection of every kind on both sides, and the matching); prints
// the times
// and the goal: the diff takes at most twice the time of loading both.
//
//   lorvantic_diffbench [--megabytes N] [--repeat N] [--keep FOLDER]
//
// Times are processor time of the process and wall clock, each the quickest of N runs (default
// 3): a single run on a shared machine swings by half. The goal is judged on processor time.
// --keep writes the two descriptions (old.json, new.json) into FOLDER and leaves them there, for
// a profiler or kavenor diff to run on.

#include "bench/generator.h"
#include "bench/measure.h"
#include "diff/difftext.h"
#include "diff/servercompare.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

using namespace Lorvantic;
using Bench::measure;
using Bench::Time;

namespace {

// Changes every stride-th occurrence of from into to; returns how many it changed.
int editEvery(QByteArray& bytes, const QByteArray& from, const QByteArray& to, int stride) {
    QByteArray edited;
    edited.reserve(bytes.size() + bytes.size() / 100);
    int seen = 0;
    int changed = 0;
    qsizetype done = 0;
    for (qsizetype at = bytes.indexOf(from); at >= 0; at = bytes.indexOf(from, at + from.size())) {
        if (++seen % stride != 0)
            continue;
        edited.append(bytes.constData() + done, at - done).append(to);
        done = at + from.size();
        ++changed;
    }
    edited.append(bytes.constData() + done, bytes.size() - done);
    bytes = std::move(edited);
    return changed;
}

int occurrences(const QByteArray& bytes, const QByteArray& text) {
    return static_cast<int>(bytes.count(text));
}

// A few hundred changes spread over the whole description: measure formats and names, level
// aggregation flags and solve orders, each about every count/perEdit-th of its kind.
int scatterChanges(QByteArray& bytes, int perEdit) {
    struct Edit {
        QByteArray from;
        QByteArray to;
    };
    const Edit edits[] = {
        {R"("formatString": "#,##0.00")", R"("formatString": "#,##0.0")"},
        {R"("aggregation": true)", R"("aggregation": false)"},
        {R"(", "aggregateFunction": 1)", R"( 2", "aggregateFunction": 1)"},
        {R"("solveOrder": 0)", R"("solveOrder": 9)"},
    };
    int changed = 0;
    for (const Edit& edit : edits)
        changed += editEvery(bytes, edit.from, edit.to, std::max(1, occurrences(bytes, edit.from) / perEdit));
    return changed;
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void printTime(const char* step, const Time& time) {
    std::printf("%-24s %8.3f s cpu %8.3f s wall\n", step, time.cpu, time.wall);
}

// The quicker of two times, part by part.
Time quickest(const Time& a, const Time& b) {
    return {std::min(a.wall, b.wall), std::min(a.cpu, b.cpu)};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qint64 megabytes = 100;
    int repeat = 3;
    QString keep;
    for (int i = 1; i < argc; i += 2) {
        const QByteArray option = argv[i];
        const QByteArray value = i + 1 < argc ? QByteArray(argv[i + 1]) : QByteArray();
        if (option == "--megabytes" && !value.isEmpty()) {
            megabytes = std::max(4LL, value.toLongLong());
        } else if (option == "--repeat" && !value.isEmpty()) {
            repeat = std::max(1, value.toInt());
        } else if (option == "--keep" && !value.isEmpty()) {
            keep = QString::fromLocal8Bit(value);
        } else {
            std::fputs("usage: lorvantic_diffbench [--megabytes N] [--repeat N] [--keep FOLDER]\n", stderr);
            return 2;
        }
    }
    QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                             ? QStringLiteral("/dev/shm/lorvantic-diffbench-XXXXXX")
                             : QDir::tempPath() + QStringLiteral("/lorvantic-diffbench-XXXXXX"));
    const QDir files(keep.isEmpty() ? folder.path() : keep);
    if (!keep.isEmpty() && !files.mkpath(QStringLiteral(".")))
        qFatal("cannot create %s", qPrintable(keep));
    const QString oldPath = files.filePath(QStringLiteral("old.json"));
    const QString newPath = files.filePath(QStringLiteral("new.json"));
    int edits = 0;
    double megabytesEach = 0;
    {
        QByteArray bytes = Bench::GenerateDescription(Bench::BenchmarkServerOptions(megabytes * 1'000'000));
        megabytesEach = static_cast<double>(bytes.size()) / 1e6;
        write(oldPath, bytes);
        edits = scatterChanges(bytes, 75);
        write(newPath, bytes);
    }

    const std::vector<ReportKind> kinds{ReportKind::Cubes, ReportKind::Dimensions, ReportKind::Roles};
    std::vector<Diff::Change> changes;
    Time loadOld{1e9, 1e9};
    Time loadNew{1e9, 1e9};
    Time diff{1e9, 1e9};
    Time text{1e9, 1e9};
    for (int run = 0; run < repeat; ++run) {
        const std::shared_ptr<Olap::Server> oldServer = Olap::CreateServer();
        const std::shared_ptr<Olap::Server> newServer = Olap::CreateServer();
        loadOld = quickest(loadOld, measure([&] { oldServer->Connect(oldPath); }));
        loadNew = quickest(loadNew, measure([&] { newServer->Connect(newPath); }));
        diff = quickest(diff, measure([&] { changes = Diff::CompareServers(oldServer, newServer, kinds); }));
        text = quickest(text, measure([&] { Diff::DiffText(changes); }));
    }

    std::printf("%-24s %.1f MB each, %d edits, %zu changes, quickest of %d runs\n", "servers", megabytesEach,
                edits, changes.size(), repeat);
    printTime("load old", loadOld);
    printTime("load new", loadNew);
    printTime("diff", diff);
    printTime("text lines", text);
    const Time load{loadOld.wall + loadNew.wall, loadOld.cpu + loadNew.cpu};
    printTime("load both", load);
    const double ratio = diff.cpu / load.cpu;
    const bool met = ratio <= 2.0;
    std::printf("goal diff / load both (cpu)  %5.2f <= 2.00 %s\n", ratio, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
