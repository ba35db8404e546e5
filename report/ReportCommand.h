// SPDX-License-Identifier: MIT
#pragma once

#include "data/Products.h"

#include <QStringList>

class QTextStream;

// corvaline-report: reads the cached product (or any product file), fetching it
// first when asked, and writes the report to `out` and every message to `err`.
// Returns the exit status: 0 reported, 1 nothing to report, 2 a usage error, 3 an
// alert; `out` receives nothing unless the status is 0 or 3. A fetch is stopped when it has
// not ended after `fetchDeadlineMs`.
constexpr int ReportFetchDeadlineMs = 60 * 1000;
int RunReport(const QStringList &arguments, const ServiceLocations &locations, QTextStream &out,
              QTextStream &err, int fetchDeadlineMs = ReportFetchDeadlineMs);
