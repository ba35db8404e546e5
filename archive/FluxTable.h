// SPDX-License-Identifier: MIT
#pragma once

#include "data/Observations.h"

#include <QByteArray>
#include <QList>
#include <optional>

// Whether the bytes begin as the Penticton flux table does: its header line
// "fluxdate fluxtime fluxjulian ...".
bool IsFluxTable(const QByteArray &bytes);

// The flux table's measurements, oldest first as the table lists them: each line
// gives three observations of Penticton at 2800 MHz, one per series (observed,
// adjusted, URSI), with the precision the table writes. A line that is not a
// measurement (the header, the dashes, a blank line) is skipped; nothing when
// the header is missing.
std::optional<QList<Observation>> ReadFluxTable(const QByteArray &bytes);
