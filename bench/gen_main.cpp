// lorvantic_gen: writes a generated server description to standard output.

#include "bench/generator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

using Lorvantic::Bench::GeneratorOptions;

namespace {

constexpr char Usage[] =
    "usage: lorvantic_gen [--databases N | --megabytes N] [--cubes N] [--dimensions N] [--levels N]\n"
    "                     [--properties N] [--measures N] [--calculated N] [--partitions N]\n"
    "                     [--aggregations N] [--roles N] [--users N] > server.json\n"
    "Counts are per database (cubes, dimensions, roles), per cube (measures, calculated members,\n"
    "partitions), per partition (aggregations), per dimension (levels), per level (properties)\n"
    "and per role (users). --megabytes adds databases until the description has that size.\n";

bool readCount(const char* text, long limit, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= 0 && value <= limit;
}

} // namespace

int main(int argc, char** argv) {
    GeneratorOptions options;
    const std::pair<const char*, int*> counts[] = {{"--databases", &options.databases},
                                                   {"--cubes", &options.cubesPerDatabase},
                                                   {"--dimensions", &options.sharedDimensions},
                                                   {"--levels", &options.levels},
                                                   {"--properties", &options.memberProperties},
                                                   {"--measures", &options.measures},
                                                   {"--calculated", &options.calculatedMembers},
                                                   {"--partitions", &options.partitions},
                                                   {"--aggregations", &options.aggregations},
                                                   {"--roles", &options.roles},
                                                   {"--users", &options.usersPerRole}};
    // Options come in pairs: a name and its count.
    for (int i = 1; i < argc; i += 2) {
        long value = 0;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (i + 1 >= argc || !readCount(argv[i + 1], 1'000'000, value)) {
            std::fputs(Usage, stderr);
            return 2;
        }
        bool known = false;
        if (std::strcmp(argv[i], "--megabytes") == 0) {
            options.targetBytes = static_cast<qint64>(value) * 1'000'000;
            known = true;
        }
        for (const auto& [name, field] : counts) {
            if (std::strcmp(argv[i], name) == 0) {
                *field = static_cast<int>(value);
                known = true;
            }
        }
        if (!known) {
            std::fprintf(stderr, "lorvantic_gen: unknown option %s\n%s", argv[i], Usage);
            return 2;
        }
    }
    if (GenerateDescription(options, stdout) < 0 || std::fflush(stdout) != 0) {
        std::perror("lorvantic_gen");
        return 1;
    }
    return 0;
}
