#pragma once

// A deterministic generator of large server descriptions ("format": "olap-server/1"): the same
// options always give the same bytes. Names are built from word lists to the lengths real
// servers use, a few carry non-ASCII letters and HTML characters, and cubes use varying
// subsets of their database's shared dimensions and roles.

#include <QByteArray>
#include <cstdio>

namespace Lorvantic::Bench {

struct GeneratorOptions {
    int databases = 4;
    // Stop adding databases once the description reaches this many bytes (0: use databases).
    qint64 targetBytes = 0;
    int cubesPerDatabase = 40;
    int sharedDimensions = 12; // per database; every cube also has one private dimension
    int levels = 4;            // per dimension
    int memberProperties = 2;  // per level
    int measures = 8;          // per cube
    int calculatedMembers = 4; // per cube
    int partitions = 2;        // per cube
    int aggregations = 6;      // per partition
    int roles = 6;             // per database
    int usersPerRole = 5;
};

// The options of the benchmark's servers: databases of the benchmark's shape up to about that
// many bytes.
GeneratorOptions BenchmarkServerOptions(qint64 targetBytes);

// Writes the description to out; returns the number of bytes written (-1 when writing failed).
qint64 GenerateDescription(const GeneratorOptions& options, std::FILE* out);

// The whole description in memory (for small servers in tests).
QByteArray GenerateDescription(const GeneratorOptions& options);

// A Mondrian schema of one catalogue with the given number of cubes, for a live server: shared
// dimensions (one of them a time dimension), a private dimension, measures of every aggregator
// and calculated members per cube, and a few roles. Cubes share a handful of fact tables, so
// the server's database stays small. Deterministic, like the description.
QByteArray GenerateMondrianSchema(int cubes);

} // namespace Lorvantic::Bench
