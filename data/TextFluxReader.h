// SPDX-License-Identifier: MIT
#pragma once

#include "data/ObservationStore.h"
#include "data/Observations.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <string_view>

class QIODevice;

struct StationColumn
{
    const char *name; // padded to 11 characters
    const char *time; // 8 characters
};

// Station columns 1 to 7 of the grid, in column order.
extern const std::array<StationColumn, IndicesGridColumns - 1> StationColumns;

// Resets IndicesGrid, reads the text product into it and returns its issue date
// text (empty when the product has no ":Issued:" line). Cells the product does
// not supply stay -1: nothing of an earlier read is carried over. `tableDate`,
// when given, receives what the table's marker line holds after the marker: the
// date of the table's columns in today's layout ("2025 Dec 24").
QByteArray ReadIndicesTable(QIODevice &in, QByteArray *tableDate = nullptr);

// Turns every observation of a text product with a 245 MHz value into one record
// and one item, as the product writes it.
void BuildStationRecords(const QList<Observation> &observations, int &observationCount,
                         ObservationSink &sink);

// 0 when the file was read, -1 when it could not be opened.
int ReadTextFluxFile(const QString &path, int &observationCount, ObservationSink &sink);

// atoi with a guard: a value outside the 32-bit range reads as -1 (missing).
int ParseIntToken(std::string_view token);
