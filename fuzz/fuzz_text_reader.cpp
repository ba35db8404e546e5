// SPDX-License-Identifier: MIT
#include "Invariants.h"
#include "data/TextFluxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CheckRead(data, size, 7, [](QIODevice &in, int &count, ObservationSink &sink) {
        BuildStationRecords(ReadTextObservations(in.readAll()), count, sink);
        return 0;
    });
    return 0;
}
