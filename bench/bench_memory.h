#pragma once
// A field of this process's /proc/self/status in kB ("VmRSS:", "VmHWM:"),
// -1 when absent: the benchmarks' measure of memory, before and at peak.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace qlry::bench {

inline long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return -1;
}

}  // namespace qlry::bench
