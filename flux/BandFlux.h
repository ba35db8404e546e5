// SPDX-License-Identifier: MIT
#pragma once

#include "data/ObservationStore.h"

// Log-log estimate of the flux (sfu) at `frequency` MHz from the two observed
// frequencies that bracket it, extended beyond 245 and 15400 MHz.
// -1 when an anchor is absent (flux at or below 0), the target is not
// positive, or the estimate does not fit a 32-bit integer.
int EstimateBandFlux(int frequency, const ObservationRecord &record);
