// SPDX-License-Identifier: MIT
#include "Invariants.h"

// The input as 32-bit integers: nine fluxes, then any number of targets.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<int> values(size / 4 + StationFrequencyCount);
    std::memcpy(values.data(), data, size / 4 * 4);
    ObservationRecord record = RecordWith("");
    for (int k = 0; k < StationFrequencyCount; ++k)
        record.slots[k].flux = values[k];
    CheckRecord(record);
    for (std::size_t i = StationFrequencyCount; i < values.size(); ++i)
        REQUIRE(EstimateBandFlux(values[i], record) >= -1);
    return 0;
}
