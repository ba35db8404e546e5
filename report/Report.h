#pragma once

#include <QByteArray>
#include <QString>

// The two products are told apart by their content: JSON begins with an array
// (or another JSON value), the text product with its markers and comments.
enum class ProductFormat { Text, Json };
ProductFormat DetectProductFormat(const QByteArray &product);

// Reads a product held in memory into the observation store, as the window's
// readers do: 0 and the number of records, or -1 when it is not readable.
int ReadProduct(const QByteArray &product, ProductFormat format, int &count);

// Observations first to last of the store, as a table for an 80-column
// terminal, as CSV (RFC 4180) or as a JSON array.
enum class ReportFormat { Table, Csv, Json };
QString FormatReport(ProductFormat source, int first, int last, ReportFormat format);
