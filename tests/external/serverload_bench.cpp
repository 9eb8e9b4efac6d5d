// Load speed and memory of a large server description.
//   serverload_bench generate FILE [MEGABYTES]   writes a realistic description of about that size
//   serverload_bench load FILE                   connects to it and prints MB/s and peak memory

#include "olap.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <sys/resource.h>

using namespace Lorvantic;

namespace {

qint64 peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<qint64>(usage.ru_maxrss) * 1024;
}

// Processor time, which other work on a busy machine does not inflate as it does the wall clock.
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class Writer {
public:
    explicit Writer(QFile& file)
        : m_file(file) {}
    void line(int indent, const QByteArray& text) {
        m_buffer += QByteArray(indent * 2, ' ') + text + '\n';
        if (m_buffer.size() > (1 << 20))
            flush();
    }
    void flush() {
        m_file.write(m_buffer);
        m_buffer.clear();
    }
    qint64 written() const { return m_file.pos() + m_buffer.size(); }

private:
    QFile& m_file;
    QByteArray m_buffer;
};

QByteArray n(qint64 value) {
    return QByteArray::number(value);
}

void writeDimension(Writer& w, const QByteArray& name, bool shared, int d) {
    w.line(4, "{");
    w.line(5, R"("name": ")" + name + R"(",)");
    w.line(5, shared ? R"("shared": true,)" : R"("shared": false,)");
    w.line(5, R"("state": 1, "lastProcessed": "2026-11-30T02:05:13", "dimensionType": )" + n(d == 0) +
                  R"(, "virtualCode": 0,)");
    w.line(5, R"("levels": [)");
    for (int l = 0; l < 5; ++l) {
        w.line(6, "{");
        w.line(7,
               R"("name": "Level )" + n(l) + R"(", "estimatedSize": )" + n(10 << l) + R"(, "levelType": 0,)");
        w.line(7, R"("memberKeyColumn": "\"dim_)" + n(d) + R"(\".\"key_)" + n(l) + R"(\"",)");
        w.line(7, R"("memberNameColumn": "\"dim_)" + n(d) + R"(\".\"name_)" + n(l) + R"(\"",)");
        w.line(7, R"("hidden": false, "aggregation": true,)");
        w.line(7, R"("memberProperties": [)");
        w.line(8, R"({"name": "Property A", "sourceColumn": "\"dim_)" + n(d) + R"(\".\"prop_a\""},)");
        w.line(8, R"({"name": "Property B", "sourceColumn": "\"dim_)" + n(d) + R"(\".\"prop_b\""})");
        w.line(7, "]");
        w.line(6, l < 4 ? "}," : "}");
    }
    w.line(5, "]");
}

void writeCube(Writer& w, int db, int c, bool last) {
    const QByteArray cube = "Cube " + n(db) + "." + n(c);
    w.line(4, "{");
    w.line(5, R"("name": ")" + cube +
                  R"(", "state": 1, "lastProcessed": "2026-11-30T02:41:19", "estimatedSize": )" +
                  n(734003200 + c) + ",");
    w.line(5, R"("dimensions": ["Dimension 0", "Dimension 1", "Dimension 2", "Dimension 3", "Dimension 4",)");
    w.line(6, R"("Dimension 5", "Dimension 6", "Dimension 7", ")" + cube + R"(^Private"],)");
    w.line(5, R"("roles": ["Role 0", "Role 1", "Role 2"],)");
    w.line(5, R"("partitions": [)");
    for (int p = 0; p < 4; ++p) {
        w.line(6, "{");
        w.line(7, R"("name": "Partition )" + n(2020 + p) + R"(", "storageMode": 0,)");
        w.line(7, R"("aggregations": [)");
        for (int a = 0; a < 20; ++a)
            w.line(8, R"({"name": "Aggregation )" + n(a) + (a < 19 ? R"("},)" : R"("})"));
        w.line(7, "],");
        w.line(7,
               R"("dataSources": [{"name": "Warehouse", "connectionString": )"
               R"("Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=DW;Data Source=DWSQL01"}])");
        w.line(6, p < 3 ? "}," : "}");
    }
    w.line(5, "],");
    w.line(5, R"("measures": [)");
    for (int m = 0; m < 10; ++m)
        w.line(6, R"({"name": "Measure )" + n(m) +
                      R"(", "aggregateFunction": 0, "formatString": "#,#.00", )"
                      R"("internal": false, "sourceColumn": "\"fact\".\"measure_)" +
                      n(m) + (m < 9 ? R"(\""},)" : R"(\""})"));
    w.line(5, "],");
    w.line(5, R"("commands": [)");
    for (int k = 0; k < 5; ++k)
        w.line(6, R"({"name": "Calc )" + n(k) + R"(", "solveOrder": 0, "statement": "CREATE MEMBER [)" +
                      cube + R"(].[Measures].[Calc )" + n(k) +
                      R"(] AS '[Measures].[Measure 1]-[Measures].[Measure 2]'")" + (k < 4 ? "}," : "}"));
    w.line(5, "]");
    w.line(4, last ? "}" : "},");
}

int generate(const QString& path, qint64 megabytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    constexpr int CubesPerDatabase = 50;
    Writer w(file);
    w.line(0, R"({)");
    w.line(1, R"("format": "olap-server/1",)");
    w.line(1, R"("name": "BENCH01",)");
    w.line(1, R"("databases": [)");
    for (int db = 0; w.written() < megabytes * 1'000'000; ++db) {
        if (db > 0)
            w.line(2, "},");
        w.line(2, "{");
        w.line(3, R"("name": "Database )" + n(db) + R"(",)");
        w.line(3, R"("dimensions": [)");
        for (int d = 0; d < 8; ++d) {
            writeDimension(w, "Dimension " + n(d), true, d);
            w.line(4, "},");
        }
        for (int c = 0; c < CubesPerDatabase; ++c) {
            writeDimension(w, "Cube " + n(db) + "." + n(c) + "^Private", false, 8);
            w.line(4, c + 1 < CubesPerDatabase ? "}," : "}");
        }
        w.line(3, "],");
        w.line(3, R"("cubes": [)");
        for (int c = 0; c < CubesPerDatabase; ++c)
            writeCube(w, db, c, c + 1 == CubesPerDatabase);
        w.line(3, "],");
        w.line(3, R"("roles": [)");
        for (int r = 0; r < 3; ++r)
            w.line(4, R"({"name": "Role )" + n(r) +
                          R"(", "description": "Readers", "users": "CORP\\reader;CORP\\analyst;CORP\\Team )" +
                          n(r) + (r < 2 ? R"("},)" : R"("})"));
        w.line(3, "]");
    }
    w.line(2, "}");
    w.line(1, "]");
    w.line(0, "}");
    w.flush();
    std::printf("%s: %.1f MB\n", qPrintable(path), static_cast<double>(file.size()) / 1e6);
    return 0;
}

int load(const QString& path) {
    const double size = static_cast<double>(QFileInfo(path).size());
    const qint64 before = peakResidentBytes();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    const auto server = Olap::CreateServer();
    server->Connect(path);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    const qint64 after = peakResidentBytes();
    std::printf("%s: %d databases, %.1f MB in %.3f s = %.0f MB/s (processor time %.3f s = %.0f MB/s)\n",
                qPrintable(server->Name()), server->Databases()->Count(), size / 1e6, seconds,
                size / 1e6 / seconds, cpu, size / 1e6 / cpu);
    std::printf("peak resident %.1f MB (%.2f x file), of which %.1f MB for the load (%.2f x file)\n",
                static_cast<double>(after) / 1e6, static_cast<double>(after) / size,
                static_cast<double>(after - before) / 1e6, static_cast<double>(after - before) / size);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == QLatin1String("generate") && argc > 2)
        return generate(QString::fromLocal8Bit(argv[2]), argc > 3 ? QByteArray(argv[3]).toLongLong() : 100);
    if (command == QLatin1String("load") && argc > 2)
        return load(QString::fromLocal8Bit(argv[2]));
    std::fprintf(stderr, "usage: serverload_bench generate FILE [MEGABYTES] | load FILE\n");
    return 2;
}
