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
    // The line runs through its anchors: on an observing frequency with both
    // anchors of its interval present, the estimate is that frequency's flux.
    const int anchors[] = {0, 1, 2, 3, 4, 6, 7, 8, 8};
    for (int i = 0; i < 8; ++i) {
        const int lower = anchors[i] == 8 ? 7 : anchors[i],
                  upper = anchors[i] == 8 ? 8 : anchors[i + 1];
        if (record.slots[lower].flux > 0 && record.slots[upper].flux > 0)
            REQUIRE(EstimateBandFlux(StationFrequencies[anchors[i]], record) ==
                    record.slots[anchors[i]].flux);
    }
    return 0;
}
