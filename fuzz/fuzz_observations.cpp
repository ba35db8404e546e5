// SPDX-License-Identifier: MIT
// The readers that the archive consumes: the flux table and both products as
// sequences of observations. Every observation names a station, has a time in
// ISO 8601 UTC or none, and holds figures that are absent or finite and not
// negative, at most one per frequency.
#include "archive/FluxTable.h"

#include <QSet>
#include <cmath>
#include <cstdlib>

namespace {
void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkAll(const QList<Observation> &observations)
{
    for (const Observation &observation : observations) {
        check(observation.timeUtc.isEmpty() ||
              (observation.timeUtc.size() == 20 && observation.timeUtc.endsWith('Z')));
        QSet<int> frequencies;
        for (const ObservedFlux &flux : observation.fluxes) {
            check(flux.mhz > 0 && !frequencies.contains(flux.mhz));
            frequencies << flux.mhz;
            check(!flux.sfu || (std::isfinite(*flux.sfu) && *flux.sfu >= 0));
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<QList<Observation>> table = ReadFluxTable(bytes)) {
        check(table->size() % 3 == 0);
        for (const Observation &observation : *table)
            check(observation.station == "Penticton" && observation.fluxes.size() <= 1);
        checkAll(*table);
    }
    if (const std::optional<QList<Observation>> json = ReadJsonObservations(bytes))
        checkAll(*json);
    checkAll(ReadTextObservations(bytes));
    return 0;
}
