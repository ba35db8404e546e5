#pragma once

#include "data/Products.h"

#include <QStringList>

class QTextStream;

// corvaline-report: reads the cached product (or any product file), fetching it
// first when asked, and writes the report to `out` and every message to `err`.
// Returns the exit status: 0 reported, 1 nothing to report, 2 a usage error.
int RunReport(const QStringList &arguments, const ServiceLocations &locations, QTextStream &out,
              QTextStream &err);
