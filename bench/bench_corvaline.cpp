// SPDX-License-Identifier: MIT
// Each case is measured beside its baseline in the same run; the ratios and the
// absolute budgets are printed at the end, one line each.
#include "BenchProducts.h"
#include "data/JsonFluxReader.h"
#include "data/TextFluxReader.h"
#include "flux/BandFlux.h"
#include "flux/FluxDisplays.h"
#include "report/ReportCommand.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTextStream>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

namespace {
class NullSink : public ObservationSink
{
public:
    void appendObservationItem(int, const char *) override {}
};

QByteArray TextProduct()
{
    QFile file(CORVALINE_SOURCE_DIR "/packaging/sample/current-space-weather-indices.txt");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const ObservationRecord &WorkedRecord()
{
    static ObservationRecord record = [] {
        ObservationRecord r{};
        const int fluxes[] = {14, 38, 52, 66, 95, 101, 142, 262, 568};
        for (int k = 0; k < StationFrequencyCount; ++k)
            r.slots[k] = {StationFrequencies[k], fluxes[k], {}};
        return r;
    }();
    return record;
}

void TextReader(benchmark::State &state)
{
    QByteArray product = TextProduct();
    NullSink sink;
    for (auto _ : state) {
        int count = 0;
        BuildStationRecords(ReadTextObservations(product), count, sink);
        benchmark::DoNotOptimize(count);
    }
}

void TextLines(benchmark::State &state)
{
    QByteArray product = TextProduct();
    for (auto _ : state) {
        QBuffer buffer(&product);
        buffer.open(QIODevice::ReadOnly);
        qsizetype bytes = 0;
        while (!buffer.atEnd())
            bytes += buffer.readLine().size();
        benchmark::DoNotOptimize(bytes);
    }
}

void JsonReader(benchmark::State &state)
{
    QByteArray product = ServiceShapedJson(int(state.range(0)));
    NullSink sink;
    for (auto _ : state) {
        QBuffer buffer(&product);
        buffer.open(QIODevice::ReadOnly);
        int count = 0;
        ReadJsonFluxDevice(buffer, count, sink);
        benchmark::DoNotOptimize(count);
    }
}

void JsonParse(benchmark::State &state)
{
    const QByteArray product = ServiceShapedJson(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(QJsonDocument::fromJson(product));
}

void Estimates(benchmark::State &state)
{
    for (auto _ : state)
        for (int target : EstimatedDisplays)
            benchmark::DoNotOptimize(EstimateBandFlux(target, WorkedRecord()));
}

void DisplayTexts(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(FluxDisplayTexts(WorkedRecord()));
}

// corvaline-report on a JSON product of 90 entries, beyond process start.
void Report(benchmark::State &state)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("solar-radio-flux.json"));
    file.open(QIODevice::WriteOnly);
    file.write(ServiceShapedJson(90));
    file.close();
    const QStringList arguments = {"corvaline-report", "--file", file.fileName()};
    for (auto _ : state) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        benchmark::DoNotOptimize(
            RunReport(arguments, ServiceLocations::standard(), outStream, errStream));
    }
}

BENCHMARK(TextReader);
BENCHMARK(TextLines);
BENCHMARK(JsonReader)->Arg(90)->Arg(400);
BENCHMARK(JsonParse)->Arg(90)->Arg(400);
BENCHMARK(Estimates);
BENCHMARK(DisplayTexts);
BENCHMARK(Report);

void PrintRatio(const char *name, double value, double budget)
{
    std::printf("ratio %s %.2f%s\n", name, value, value > budget ? " over budget" : "");
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    VerboseLogging = 0;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    auto &ns = recorder.nanoseconds;
    PrintRatio("text_reader", ns["TextReader"] / ns["TextLines"], 1.5);
    PrintRatio("json_reader_90", ns["JsonReader/90"] / ns["JsonParse/90"], 1.3);
    PrintRatio("json_reader_400", ns["JsonReader/400"] / ns["JsonParse/400"], 1.3);
    std::printf("time estimates_20 %.0f ns%s\n", ns["Estimates"],
                ns["Estimates"] >= 1000 ? " over budget" : "");
    std::printf("time display_texts_28 %.0f ns\n", ns["DisplayTexts"]);
    std::printf("time report_90 %.2f ms%s\n", ns["Report"] / 1e6,
                ns["Report"] >= 5e6 ? " over budget" : "");
    benchmark::Shutdown();
}
