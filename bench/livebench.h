#pragma once

// The live-server case of the benchmark: a generated Mondrian schema of many cubes served by the
// XMLA test server of tests/xmla (a real Mondrian over Jetty), read by the XMLA backend and
// reported by kavenor. Prints the requests, bytes and times, and the goals: the whole report
// within 1.5x the time of only receiving the same answers, and the report's peak memory above
// its start-up under 3x the largest answer.

#include <QString>

namespace Lorvantic::Bench {

struct LiveOptions {
    int cubes = 1000;
    int repeat = 3;
    QString keep; // work folder to keep (schema, server log, page); empty: a temporary one
    // Through the TLS front of tests/xmla/front.py answering in gzip, with a certificate
    // authority made by openssl for the run (every figure, receive only included).
    bool tlsGzip = false;
};

// 0 when the goals are met or the server's packages are missing (said on the output); 1 when a
// goal is missed or the server does not start.
int RunLiveBench(const LiveOptions& options);

} // namespace Lorvantic::Bench
