// SPDX-License-Identifier: MIT
#pragma once

#include "flux/BandFlux.h"
#include "flux/FluxDisplays.h"
#include "support/Support.h"

#include <QBuffer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// A broken invariant is a finding: libFuzzer keeps the input that aborted.
#define REQUIRE(condition)                                                                         \
    ((condition) ? void() : (std::fprintf(stderr, "broken: %s\n", #condition), std::abort()))

// Texts end within their fields, frequencies are as preset, and every display
// shows the record's own figures: the stored flux, or an estimate of at least -1.
inline void CheckRecord(const ObservationRecord &record)
{
    REQUIRE(std::memchr(record.name, 0, 32) && std::memchr(record.timeText, 0, 32));
    for (int k = 0; k < StationFrequencyCount; ++k)
        REQUIRE(std::memchr(record.slots[k].quality, 0, 32) &&
                record.slots[k].frequency == StationFrequencies[k]);
    const auto texts = FluxDisplayTexts(record);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const bool observed = i < ObservedDisplays.size();
        const int value = observed ? record.slots[ObservedDisplays[i].slot].flux
                                   : EstimateBandFlux(texts[i].frequencyMHz, record);
        REQUIRE(texts[i].text == QString::number(value) && (observed || value >= -1));
    }
}

// One read of fuzzed bytes: at most `capacity` records, one item for each.
template <class Read> void CheckRead(const uint8_t *data, size_t size, int capacity, Read read)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    int count = 0;
    ResetObservationStore(count);
    RecordingSink sink(&count);
    const int result = read(buffer, count, sink);
    REQUIRE((result == 0 || (result == -1 && count == 0)) && count <= capacity);
    REQUIRE(sink.items.size() == count && sink.inOrder);
    for (int i = 0; i < count; ++i)
        CheckRecord(ObservationRecords[i]);
}
