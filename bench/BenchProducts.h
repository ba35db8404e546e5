// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <benchmark/benchmark.h>
#include <map>
#include <string>

// Shaped like the service's product: the stations in turn with a time tag each,
// most entries naming all eight frequencies and every fourth only some of them.
inline QByteArray ServiceShapedJson(int entries)
{
    static const char *const stations[] = {"Learmonth", "San Vito", "Sagamore Hill", "Penticton",
                                           "Palehua"};
    static const int frequencies[] = {245, 410, 610, 1415, 2695, 2800, 4995, 8800, 15400};
    QByteArray json = "[\n";
    for (int i = 0; i < entries; ++i) {
        json +=
            QString("{\"time_tag\":\"2024-10-%1T%2:00:00\",\"common_name\":\"%3\",\"details\":[")
                .arg(1 + i / 24 % 28, 2, 10, QChar('0'))
                .arg(i % 24, 2, 10, QChar('0'))
                .arg(stations[i % 5])
                .toUtf8();
        const int named = i % 4 == 3 ? 3 + i % 5 : 9;
        for (int k = 0; k < named; ++k)
            json += QString("%1{\"frequency\":%2,\"flux\":%3,\"observed_quality\":\"Good\"}")
                        .arg(k ? "," : "")
                        .arg(frequencies[k])
                        .arg(40 + 60 * k + i % 7)
                        .toUtf8();
        json += i + 1 < entries ? "]},\n" : "]}\n]\n";
    }
    return json;
}

// Keeps each benchmark's real time per iteration, in nanoseconds: the least of
// its repetitions, which other load on the machine can only make larger.
class Recorder : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            const double time =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
            const auto known = nanoseconds.find(run.benchmark_name());
            if (known == nanoseconds.end() || time < known->second)
                nanoseconds[run.benchmark_name()] = time;
        }
    }
    std::map<std::string, double> nanoseconds;
};
