#pragma once
// A field of this process's /proc/self/status in kB ("VmRSS:", "VmHWM:"),
// -1 when absent: the benchmarks' measure of memory, before and at peak.
#include <unistd.h>

#include <cstdio>
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

// What this benchmark program prints when started again as
// `--copy-peak FILE` (its copy's memory peak over the picture's size), or -1:
// a fresh process, so that earlier runs do not raise the peak.
inline double CopyPeakRatio(const std::string& file) {
    const std::string command = "/proc/" + std::to_string(getpid()) + "/exe --copy-peak " + file;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    double ratio = -1;
    if (std::fscanf(pipe, "%lf", &ratio) != 1) ratio = -1;
    pclose(pipe);
    return ratio;
}

}  // namespace qlry::bench
