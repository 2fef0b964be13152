#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <string>

namespace quorvel::bench {

// How long one call took, in milliseconds: on the wall clock, and on this process's CPU clock.
// Everything measured runs on this one thread without waiting for a disk (the files are in the
// page cache), so on an idle machine the two agree; on a busy one the CPU clock leaves out the
// time other programs had the processor, which the wall clock cannot.
struct Sample {
    double wallMs;
    double cpuMs;
};

Sample TimeOf(const std::function<void()>& run);

// Wall-clock milliseconds of one call, for the run's own progress notes.
double MillisecondsOf(const std::function<void()>& run);

// The best of several runs, each clock on its own: the fastest run is the least disturbed.
class Best {
public:
    void add(Sample s);
    double cpuMs() const { return m_cpuMs; }
    double wallMs() const { return m_wallMs; }

private:
    double m_cpuMs = std::numeric_limits<double>::infinity();
    double m_wallMs = std::numeric_limits<double>::infinity();
};

// Resident memory of this process in bytes, after giving freed heap pages back to the system.
long ResidentBytes();

// /proc/loadavg's first three figures.
std::string LoadAverage();

// Which clock a ratio is taken on. Work spread over threads counts on the wall clock: the CPU
// clock adds up every thread's time.
enum class Clock { Cpu, Wall };

// Prints one line per case and remembers whether every case met its mark.
class Report {
public:
    // "name: case=…ms floor=…ms ratio=X.XX" on the given clock; the mark is met when
    // ratio <= limit. The other clock's figures go to stderr beside it.
    void ratio(const std::string& name, const Best& caseTime, const Best& floorTime, double limit,
               Clock clock = Clock::Cpu);
    // "name: stall=…ms"; the mark is met when the milliseconds are <= limit.
    void stall(const std::string& name, double ms, double limit);
    // "name: case=…ms mark=…ms" on the wall clock, for what the user waits for whichever
    // thread does the work; the CPU clock's figure goes to stderr beside it. The mark is met
    // when case <= limitMs.
    void time(const std::string& name, const Best& caseTime, double limitMs);
    // "name: <figures> ratio=X.XX" for a ratio measured some other way; met when ratio <= limit.
    void measured(const std::string& name, const std::string& figures, double value, double limit);
    // "name: bytes=N"; the mark is met when bytes <= limit.
    void bytes(const std::string& name, long bytes, long limit);
    // A case that could not be measured, or whose result was wrong: it misses its mark.
    void failed(const std::string& name, const std::string& why);

    bool allMet() const { return m_allMet; }

private:
    bool m_allMet = true;
};

} // namespace quorvel::bench
