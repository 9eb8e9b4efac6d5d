// lorvantic_bench: how the system copes with a large server. Generates a server description of
// about 100 MB (4x) and one of a quarter of that (1x), runs every step on both and prints one
// figure per line: load speed and peak memory, catalogue, collection and page per kind, the
// page bytes written through one buffered stream for comparison, the list fill and a header
// sort; then how each step grows from 1x to 4x and whether the goals are met.
//
//   lorvantic_bench [--megabytes N] [--repeat N] [--keep FOLDER]
//   lorvantic_bench --live [--cubes N] [--repeat N] [--keep FOLDER] [--tls-gzip]
//
// --live runs the live-server case instead (bench/livebench.h): a real XMLA server over a
// generated schema of N cubes (default 1000).
//
// Times are given as wall clock and as processor time of this process; the goals are judged on
// processor time, which other work on a shared machine does not inflate.

#include "automation/reportkinds.h"
#include "bench/generator.h"
#include "bench/livebench.h"
#include "bench/measure.h"
#include "dialogs/frminfo.h"
#include "report/reportwriter.h"
#include "selection/selectorflow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <vector>

using namespace Lorvantic;
using Bench::measure;
using Bench::Print;
using Bench::Time;

namespace {

// Fills the processor's caches with other data, so that every run starts as a report does after
// other work, whatever the server's size: repeated runs on a small server would otherwise find
// all their data still in the cache, and those on a large one would not.
void evictCaches() {
    static std::vector<std::uint64_t> other(std::size_t{128} * 1024 * 1024 / sizeof(std::uint64_t));
    for (std::uint64_t& word : other)
        ++word;
    asm volatile("" : : "r"(other.data()) : "memory");
}

// The time of one run of step, averaged over as many runs as take a fifth of a second of
// processor time: short steps are otherwise lost in the clock's and the machine's noise.
// prepare runs before each run, outside the time, and each run starts with cold caches.
Time measureRepeated(const std::function<void()>& step, const std::function<void()>& prepare = {}) {
    Time total;
    int runs = 0;
    do {
        if (prepare)
            prepare();
        evictCaches();
        const Time one = measure(step);
        total.wall += one.wall;
        total.cpu += one.cpu;
        ++runs;
    } while (total.cpu < 0.2 && runs < 1000);
    return {total.wall / runs, total.cpu / runs};
}

qint64 statusKilobytes(const char* field) {
    return Bench::StatusKilobytes(QStringLiteral("/proc/self/status"), field);
}

// The child's side of the load measurement: a process that does nothing but load, so that its
// peak resident memory is the load's.
int loadChild(const QString& path) {
    const qint64 before = statusKilobytes("VmRSS");
    const Time time = measure([&] { Olap::CreateServer()->Connect(path); });
    std::printf("%.6f %.6f %lld %lld\n", time.wall, time.cpu, statusKilobytes("VmHWM"), before);
    return 0;
}

struct LoadFigures {
    Time time;
    double peakMB = 0;
    double beforeMB = 0;
};

LoadFigures loadInChild(const QString& path) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--load-child"), path});
    if (!child.waitForFinished(600'000) || child.exitCode() != 0)
        qFatal("the load child failed: %s", child.readAllStandardError().constData());
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    LoadFigures figures;
    figures.time = {fields.value(0).toDouble(), fields.value(1).toDouble()};
    figures.peakMB = fields.value(2).toDouble() * 1024 / 1e6;
    figures.beforeMB = fields.value(3).toDouble() * 1024 / 1e6;
    return figures;
}

// Writes the page's bytes line by line through one buffered stream: the practical limit of
// writing that page.
Time writeWithOneStream(const QByteArray& page, const QString& path) {
    std::vector<std::pair<qsizetype, qsizetype>> lines; // start, length with CR LF
    for (qsizetype start = 0; start < page.size();) {
        const qsizetype end = page.indexOf("\r\n", start);
        const qsizetype next = end < 0 ? page.size() : end + 2;
        lines.emplace_back(start, next - start);
        start = next;
    }
    const QByteArray name = QFile::encodeName(path);
    return measureRepeated(
        [&] {
            std::FILE* out = std::fopen(name.constData(), "wb");
            if (!out)
                qFatal("cannot write %s", name.constData());
            for (const auto& [start, length] : lines)
                std::fwrite(page.constData() + start, 1, static_cast<std::size_t>(length), out);
            std::fclose(out);
        },
        [&] { QFile::remove(path); });
}

// The whole catalogue of the kind with every category checked.
Selection everything(SelectorKind& kind) {
    Selection selection;
    selection.categories = kind.GetInfoTree();
    selection.checkAllCategories();
    selection.rows = kind.GetCatalogue();
    selection.checkAllRows(true);
    return selection;
}

// The data formats and the page of the cube report, as the bench names them.
const std::array<std::pair<const char*, ReportFormat>, 3> CubeReportFormats{
    {{"page", ReportFormat::Html}, {"json", ReportFormat::Json}, {"markdown", ReportFormat::Markdown}}};

// The child's side of a report's memory measurement: load, collect every cube with every category
// and write the report in one format, so that the peak resident memory is that whole route's.
int reportChild(const QString& path, const QString& format, const QString& output) {
    SelectorState state;
    state.DSOServer = Olap::CreateServer();
    state.DSOServer->Connect(path);
    state.ServerName = path;
    std::unique_ptr<SelectorKind> selector = ReportKindOf(ReportKind::Cubes).makeKind(state);
    CollectSelection(*selector, everything(*selector), state);
    state.indexOption = true;
    state.openPages = false;
    ReportFormatNamed(format, state.pageFormat);
    state.pageFile = [&output](QString& made) {
        made = output;
        return true;
    };
    selector->CreateReport();
    std::printf("%lld\n", statusKilobytes("VmHWM"));
    return 0;
}

// Peak resident memory in MB of the cube report of the server in the format (a child process).
double reportPeakInChild(const QString& path, const QString& format, const QString& folder) {
    const QString output = folder + QStringLiteral("/peak-report");
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--report-child"), path, format, output});
    if (!child.waitForFinished(600'000) || child.exitCode() != 0)
        qFatal("the report child failed: %s", child.readAllStandardError().constData());
    QFile::remove(output);
    return child.readAllStandardOutput().trimmed().toDouble() * 1024 / 1e6;
}

// The figures of one server size; each step keeps its quickest run.
struct Figures {
    double megabytes = 0;
    std::map<QString, Time> steps;
    std::map<QString, double> counts;
    LoadFigures load;

    void keep(const QString& step, const Time& time) {
        const auto it = steps.find(step);
        if (it == steps.end())
            steps[step] = time;
        else
            it->second = {std::min(it->second.wall, time.wall), std::min(it->second.cpu, time.cpu)};
    }
};

struct CatalogueForList {
    Selection selection;
    qint32 count = 0;
};

void runKind(const ReportKindEntry& kind, const std::shared_ptr<Olap::Server>& server, const QString& folder,
             Figures& figures, CatalogueForList& largest) {
    const QString name = kind.name;
    SelectorState state;
    state.DSOServer = server;
    state.ServerName = server->Name();
    std::unique_ptr<SelectorKind> selector = kind.makeKind(state);
    Selection selection;
    selection.categories = selector->GetInfoTree();
    selection.checkAllCategories();

    figures.keep(QStringLiteral("catalogue ") + name,
                 measureRepeated([&] { selection.rows = selector->GetCatalogue(); }));
    const auto rows = static_cast<qint32>(selection.rows.size());
    figures.counts[name] = rows;
    // The list shows the cube catalogue, the largest one a list of 16-bit rows can hold on
    // servers of this shape.
    if (kind.kind == ReportKind::Cubes) {
        largest.selection = selection;
        largest.selection.columns = selector->GetColumns();
        largest.count = rows;
    }
    selection.checkAllRows(true);
    figures.keep(QStringLiteral("collection ") + name,
                 measureRepeated([&] { CollectSelection(*selector, selection, state); }));

    const QString page = folder + QStringLiteral("/page-") + name + QStringLiteral(".html");
    QFile::remove(page);
    state.indexOption = true;
    state.openPages = false;
    state.pageFile = [&page](QString& path) {
        path = page;
        return true;
    };
    figures.keep(QStringLiteral("page ") + name,
                 measureRepeated([&] { selector->CreateReport(); }, [&] { QFile::remove(page); }));
    QFile file(page);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no page was written for %s", kind.name.data());
    const QByteArray bytes = file.readAll();
    figures.counts[QStringLiteral("page MB ") + name] = static_cast<double>(bytes.size()) / 1e6;
    figures.keep(QStringLiteral("one stream ") + name,
                 writeWithOneStream(bytes, page + QStringLiteral(".stream")));
    QFile::remove(page);
    QFile::remove(page + QStringLiteral(".stream"));
    // The same cube report as data and as Markdown: the same content through the other writers.
    if (kind.kind != ReportKind::Cubes)
        return;
    for (const auto& [format, value] : CubeReportFormats) {
        if (value == ReportFormat::Html)
            continue;
        state.pageFormat = value;
        figures.keep(QLatin1String(format) + QStringLiteral(" cubes"),
                     measureRepeated([&] { selector->CreateReport(); }, [&] { QFile::remove(page); }));
        figures.counts[QLatin1String(format) + QStringLiteral(" MB cubes")] =
            static_cast<double>(QFileInfo(page).size()) / 1e6;
        QFile::remove(page);
    }
    state.pageFormat = ReportFormat::Html;
}

// A fresh dialog for every run: the fill happens once per dialog.
void runList(const CatalogueForList& catalogue, Figures& figures) {
    figures.counts[QStringLiteral("list rows")] = catalogue.count;
    Time fill;
    Time sort;
    int runs = 0;
    do {
        frmInfo form;
        form.setSelection(catalogue.selection);
        evictCaches();
        const Time filled = measure([&] { form.setCaption(QStringLiteral("Cubes")); });
        QHeaderView* header = form.findChild<QTreeView*>(QStringLiteral("lstCubes"))->header();
        evictCaches();
        const Time sorted = measure([&] { Q_EMIT header->sectionClicked(1); });
        fill = {fill.wall + filled.wall, fill.cpu + filled.cpu};
        sort = {sort.wall + sorted.wall, sort.cpu + sorted.cpu};
        ++runs;
    } while (fill.cpu + sort.cpu < 0.2 && runs < 100);
    figures.keep(QStringLiteral("list fill"), {fill.wall / runs, fill.cpu / runs});
    figures.keep(QStringLiteral("header sort"), {sort.wall / runs, sort.cpu / runs});
}

Figures runSize(const QString& path, const QString& folder, int repeat) {
    Figures figures;
    figures.megabytes = static_cast<double>(QFileInfo(path).size()) / 1e6;
    figures.load = loadInChild(path);
    for (int r = 1; r < repeat; ++r) {
        const LoadFigures again = loadInChild(path);
        figures.load.time.wall = std::min(figures.load.time.wall, again.time.wall);
        figures.load.time.cpu = std::min(figures.load.time.cpu, again.time.cpu);
        figures.load.peakMB = std::max(figures.load.peakMB, again.peakMB);
    }
    figures.keep(QStringLiteral("load"), figures.load.time);
    std::shared_ptr<Olap::Server> server;
    {
        server = Olap::CreateServer();
        server->Connect(path);
    }
    for (int r = 0; r < repeat; ++r) {
        CatalogueForList largest;
        for (const ReportKindEntry& kind : ReportKinds())
            runKind(kind, server, folder, figures, largest);
        runList(largest, figures);
    }
    return figures;
}

QString generate(const QString& folder, const char* label, qint64 bytes) {
    QString path = folder + QStringLiteral("/server-") + QLatin1String(label) + QStringLiteral(".json");
    const Bench::GeneratorOptions options = Bench::BenchmarkServerOptions(bytes);
    std::FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out || Bench::GenerateDescription(options, out) < 0 || std::fclose(out) != 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void printTime(const char* size, const QString& step, const Time& time, const QString& extra = QString()) {
    Print("%-22s %s: %8.3f s cpu %8.3f s wall%s\n", qPrintable(step), size, time.cpu, time.wall,
          qPrintable(extra));
}

void printSize(const char* size, const Figures& f) {
    const double mbps = f.megabytes / f.load.time.cpu;
    Print("%-22s %s: %.1f MB; %.0f cube, %.0f dimension, %.0f role catalogue rows\n", "server", size,
          f.megabytes, f.counts.at(QStringLiteral("cubes")), f.counts.at(QStringLiteral("dimensions")),
          f.counts.at(QStringLiteral("roles")));
    printTime(size, QStringLiteral("load"), f.load.time,
              QStringLiteral(" = %1 MB/s cpu, %2 MB/s wall")
                  .arg(mbps, 0, 'f', 0)
                  .arg(f.megabytes / f.load.time.wall, 0, 'f', 0));
    Print("%-22s %s: %.1f MB = %.2f x file (%.1f MB before the load)\n", "load peak memory", size,
          f.load.peakMB, f.load.peakMB / f.megabytes, f.load.beforeMB);
    for (const ReportKindEntry& kind : ReportKinds()) {
        const QString name = kind.name;
        printTime(size, QStringLiteral("catalogue ") + name, f.steps.at(QStringLiteral("catalogue ") + name));
        printTime(size, QStringLiteral("collection ") + name,
                  f.steps.at(QStringLiteral("collection ") + name));
        const Time page = f.steps.at(QStringLiteral("page ") + name);
        const Time stream = f.steps.at(QStringLiteral("one stream ") + name);
        printTime(size, QStringLiteral("page ") + name, page,
                  QStringLiteral(" (%1 MB)").arg(f.counts.at(QStringLiteral("page MB ") + name), 0, 'f', 1));
        printTime(size, QStringLiteral("one stream ") + name, stream,
                  QStringLiteral(" (page / one stream = %1 cpu, %2 wall)")
                      .arg(page.cpu / stream.cpu, 0, 'f', 2)
                      .arg(page.wall / stream.wall, 0, 'f', 2));
    }
    for (const char* format : {"json", "markdown"}) {
        const QString step = QLatin1String(format) + QStringLiteral(" cubes");
        const Time time = f.steps.at(step);
        const Time page = f.steps.at(QStringLiteral("page cubes"));
        printTime(size, step, time,
                  QStringLiteral(" (%1 MB; / page = %2 cpu)")
                      .arg(f.counts.at(QLatin1String(format) + QStringLiteral(" MB cubes")), 0, 'f', 1)
                      .arg(time.cpu / page.cpu, 0, 'f', 2));
    }
    printTime(size, QStringLiteral("list fill"), f.steps.at(QStringLiteral("list fill")),
              QStringLiteral(" (%1 rows)").arg(f.counts.at(QStringLiteral("list rows")), 0, 'f', 0));
    printTime(size, QStringLiteral("header sort"), f.steps.at(QStringLiteral("header sort")));
}

struct Goal {
    QString text;
    double value;
    double limit;
    bool atMost;
};

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--load-child")
        return loadChild(QString::fromLocal8Bit(argv[2]));
    if (argc == 5 && QByteArray(argv[1]) == "--report-child") {
        QCoreApplication app(argc, argv);
        return reportChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                           QString::fromLocal8Bit(argv[4]));
    }

    qint64 megabytes = 100;
    int repeat = 3;
    QString keep;
    bool live = false;
    bool tlsGzip = false;
    int cubes = 1000;
    bool usage = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray option = argv[i];
        if (option == "--live" || option == "--tls-gzip") {
            (option == "--live" ? live : tlsGzip) = true;
            continue;
        }
        if (i + 1 >= argc) {
            usage = true;
            break;
        }
        const QByteArray value = argv[++i];
        if (option == "--megabytes")
            megabytes = std::max(4LL, value.toLongLong());
        else if (option == "--repeat")
            repeat = std::max(1, value.toInt());
        else if (option == "--keep")
            keep = QString::fromLocal8Bit(value);
        else if (option == "--cubes")
            cubes = std::max(1, value.toInt());
        else
            usage = true;
    }
    if (usage) {
        std::fputs("usage: lorvantic_bench [--megabytes N] [--repeat N] [--keep FOLDER]\n"
                   "       lorvantic_bench --live [--cubes N] [--repeat N] [--keep FOLDER] [--tls-gzip]\n",
                   stderr);
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (live)
        return Bench::RunLiveBench({cubes, repeat, keep, tlsGzip});
    // Pages go to memory where the system offers it, so that the disk's mood does not decide.
    QTemporaryDir temporary(QDir(QStringLiteral("/dev/shm")).exists()
                                ? QStringLiteral("/dev/shm/lorvantic-bench-XXXXXX")
                                : QDir::tempPath() + QStringLiteral("/lorvantic-bench-XXXXXX"));
    const QString folder = keep.isEmpty() ? temporary.path() : keep;
    QDir().mkpath(folder);

    const QString large = generate(folder, "4x", megabytes * 1'000'000);
    const QString small = generate(folder, "1x", megabytes * 1'000'000 / 4);
    const Figures one = runSize(small, folder, repeat);
    const Figures four = runSize(large, folder, repeat);

    Print("%-22s %s\n", "work folder", qPrintable(folder));
    printSize("4x", four);
    printSize("1x", one);
    std::vector<Goal> goals;
    for (const auto& [step, time] : four.steps) {
        const double growth = time.cpu / one.steps.at(step).cpu;
        Print("%-22s growth 1x->4x: %5.2f cpu %5.2f wall\n", qPrintable(step), growth,
              time.wall / one.steps.at(step).wall);
        // The one-stream write is the yardstick of the pages, not a step of a report.
        if (step.startsWith(QStringLiteral("one stream ")))
            continue;
        // A sort compares n log n times: its bound grows by log(4n) / log(n) beyond the linear one.
        if (step == QStringLiteral("header sort")) {
            const double rows1 = one.counts.at(QStringLiteral("list rows"));
            const double rows4 = four.counts.at(QStringLiteral("list rows"));
            goals.push_back({step + QStringLiteral(" grows as n log n (4x size, time x)"), growth,
                             4.5 * std::log(rows4) / std::log(rows1), true});
        } else {
            goals.push_back({step + QStringLiteral(" grows linearly (4x size, time x)"), growth, 4.5, true});
        }
    }
    for (const ReportKindEntry& kind : ReportKinds()) {
        const QString name = kind.name;
        goals.push_back({QStringLiteral("page ") + name + QStringLiteral(" / one stream"),
                         four.steps.at(QStringLiteral("page ") + name).cpu /
                             four.steps.at(QStringLiteral("one stream ") + name).cpu,
                         1.5, true});
    }
    // The data formats of the cube report against its page: time, and the whole route's peak memory.
    std::map<QString, double> peaks;
    for (const auto& [format, value] : CubeReportFormats)
        peaks[QLatin1String(format)] = reportPeakInChild(large, ReportFormatName(value), folder);
    for (const char* format : {"json", "markdown"}) {
        const QString name = QLatin1String(format);
        Print("%-22s 4x: %.1f MB peak, page %.1f MB\n", qPrintable(name + QStringLiteral(" cubes memory")),
              peaks.at(name), peaks.at(QStringLiteral("page")));
        goals.push_back({name + QStringLiteral(" cubes / page cubes (time)"),
                         four.steps.at(name + QStringLiteral(" cubes")).cpu /
                             four.steps.at(QStringLiteral("page cubes")).cpu,
                         1.1, true});
        goals.push_back({name + QStringLiteral(" cubes / page cubes (peak memory)"),
                         peaks.at(name) / peaks.at(QStringLiteral("page")), 1.1, true});
    }
    goals.push_back({QStringLiteral("load MB/s"), four.megabytes / four.load.time.cpu, 100, false});
    goals.push_back(
        {QStringLiteral("load peak memory / file size"), four.load.peakMB / four.megabytes, 5, true});
    goals.push_back(
        {QStringLiteral("list fill s"), four.steps.at(QStringLiteral("list fill")).cpu, 1.0, true});
    goals.push_back(
        {QStringLiteral("header sort s"), four.steps.at(QStringLiteral("header sort")).cpu, 0.3, true});
    int missed = 0;
    for (const Goal& goal : goals) {
        const bool met = goal.atMost ? goal.value <= goal.limit : goal.value >= goal.limit;
        missed += met ? 0 : 1;
        Print("goal %-52s %8.2f %s %6.2f %s\n", qPrintable(goal.text), goal.value,
              goal.atMost ? "<=" : ">=", goal.limit, met ? "met" : "MISSED");
    }
    Print("goals: %d of %zu met\n", static_cast<int>(goals.size()) - missed, goals.size());
    return missed == 0 ? 0 : 1;
}
