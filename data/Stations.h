// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The one name of each station, whatever spelling a product or the window uses:
// "Sag Hill" is Sagamore Hill, the window's "Pentiction" is Penticton. Matched
// without regard to case or surrounding blanks; a name not in the table is
// returned trimmed.
QString CanonicalStationName(const QString &name);
