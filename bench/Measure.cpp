#include "Measure.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>

#include <malloc.h>
#include <time.h>
#include <unistd.h>

namespace quorvel::bench {

namespace {

double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

} // namespace

Sample TimeOf(const std::function<void()>& run) {
    const double cpuStart = CpuMs();
    const double wall = MillisecondsOf(run);
    return Sample{wall, CpuMs() - cpuStart};
}

void Best::add(Sample s) {
    m_cpuMs = std::min(m_cpuMs, s.cpuMs);
    m_wallMs = std::min(m_wallMs, s.wallMs);
}

double MillisecondsOf(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

long ResidentBytes() {
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    long sizePages = 0;
    long residentPages = -1;
    statm >> sizePages >> residentPages;
    return residentPages < 0 ? -1 : residentPages * sysconf(_SC_PAGESIZE);
}

std::string LoadAverage() {
    std::ifstream loadavg("/proc/loadavg");
    std::string one, five, fifteen;
    loadavg >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

void Report::ratio(const std::string& name, const Best& caseTime, const Best& floorTime,
                   double limit, Clock clock) {
    const bool wall = clock == Clock::Wall;
    const double caseMs = wall ? caseTime.wallMs() : caseTime.cpuMs();
    const double floorMs = wall ? floorTime.wallMs() : floorTime.cpuMs();
    const double value = floorMs > 0 ? caseMs / floorMs : INFINITY;
    std::printf("%s: case=%.1fms floor=%.1fms ratio=%.2f%s\n", name.c_str(), caseMs, floorMs, value,
                wall ? " (wall clock)" : "");
    std::fflush(stdout);
    const double otherCase = wall ? caseTime.cpuMs() : caseTime.wallMs();
    const double otherFloor = wall ? floorTime.cpuMs() : floorTime.wallMs();
    std::fprintf(stderr, "# %s on the %s clock: case=%.1fms floor=%.1fms ratio=%.2f\n",
                 name.c_str(), wall ? "CPU" : "wall", otherCase, otherFloor,
                 otherCase / otherFloor);
    // The mark applies to the printed figure, so a line never shows a pass that failed.
    if (!(std::round(value * 100) / 100 <= limit)) {
        m_allMet = false;
        std::fprintf(stderr, "%s misses its mark: ratio %.2f > %.2f\n", name.c_str(), value, limit);
    }
}

void Report::stall(const std::string& name, double ms, double limit) {
    std::printf("%s: stall=%.1fms\n", name.c_str(), ms);
    std::fflush(stdout);
    if (!(std::round(ms * 10) / 10 <= limit)) {
        m_allMet = false;
        std::fprintf(stderr, "%s misses its mark: %.1f ms > %.1f ms\n", name.c_str(), ms, limit);
    }
}

void Report::time(const std::string& name, const Best& caseTime, double limitMs) {
    const double caseMs = caseTime.wallMs();
    std::printf("%s: case=%.1fms mark=%.1fms\n", name.c_str(), caseMs, limitMs);
    std::fflush(stdout);
    std::fprintf(stderr, "# %s on the CPU clock: case=%.1fms\n", name.c_str(), caseTime.cpuMs());
    if (!(std::round(caseMs * 10) / 10 <= limitMs)) {
        m_allMet = false;
        std::fprintf(stderr, "%s misses its mark: %.1fms > %.1fms\n", name.c_str(), caseMs,
                     limitMs);
    }
}

void Report::measured(const std::string& name, const std::string& figures, double value,
                      double limit) {
    std::printf("%s: %s ratio=%.2f\n", name.c_str(), figures.c_str(), value);
    std::fflush(stdout);
    if (!(std::round(value * 100) / 100 <= limit)) {
        m_allMet = false;
        std::fprintf(stderr, "%s misses its mark: ratio %.2f > %.2f\n", name.c_str(), value, limit);
    }
}

void Report::bytes(const std::string& name, long bytes, long limit) {
    std::printf("%s: bytes=%ld\n", name.c_str(), bytes);
    std::fflush(stdout);
    if (bytes > limit) {
        m_allMet = false;
        std::fprintf(stderr, "%s misses its mark: %ld bytes > %ld\n", name.c_str(), bytes, limit);
    }
}

void Report::failed(const std::string& name, const std::string& why) {
    m_allMet = false;
    std::printf("%s: failed (%s)\n", name.c_str(), why.c_str());
    std::fflush(stdout);
}

} // namespace quorvel::bench
