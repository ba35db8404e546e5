// SPDX-License-Identifier: MIT
#include "Invariants.h"
#include "data/JsonFluxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    VerboseLogging = size % 2; // the logging paths too
    CheckRead(data, size, ObservationCapacity,
              [](QIODevice &in, int &count, ObservationSink &sink) {
                  return ReadJsonFluxDevice(in, count, sink);
              });
    return 0;
}
