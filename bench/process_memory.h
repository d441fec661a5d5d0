// Memory figures of the running process, for the benchmarks that report peak memory.
#pragma once

#include <fstream>
#include <string>

// A field of /proc/self/status in kB ("VmHWM", "VmRSS"); -1 when missing.
inline long statusKilobytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}
