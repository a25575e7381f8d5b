#pragma once
// The phases of showing a page, timed over several runs. zefweb --bench and
// the programs it is compared with print them alike: the median of each
// phase in milliseconds, then the peak resident memory.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <map>
#include <ostream>
#include <string>
#include <vector>

class TPhaseTimes {
public:
    void Start() { start_ = std::chrono::steady_clock::now(); }
    // The time since Start, as one run of the phase.
    void Record(const std::string& phase)
    {
        times_[phase].push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count());
    }

    // "PHASE MEDIAN" for each phase recorded, in the order given, then
    // "peak-mb MEGABYTES".
    void Print(std::ostream& out, std::initializer_list<const char*> order) const
    {
        for (const char* phase : order)
            if (const auto found = times_.find(phase); found != times_.end())
                out << phase << ' ' << Median(found->second) << '\n';
        out << "peak-mb " << PeakResidentMegabytes() << '\n';
    }

private:
    static double Median(std::vector<double> values)
    {
        std::sort(values.begin(), values.end());
        const std::size_t middle = values.size() / 2;
        return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    }
    static double PeakResidentMegabytes()
    {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    }

    std::chrono::steady_clock::time_point start_;
    std::map<std::string, std::vector<double>> times_;
};
