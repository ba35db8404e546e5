// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

// The two products are told apart by their content: JSON begins with an array
// (or another JSON value), the text product with its markers and comments.
enum class ProductFormat { Text, Json };
ProductFormat DetectProductFormat(const QByteArray &product);

// What a read leaves beside the store: the records in it, how many entries a
// JSON product holds (the store keeps the first 90), and the dates that the text
// product's columns belong to.
struct ProductRead
{
    int count = 0;
    qsizetype entries = 0;
    QByteArray issued;    // the ":Issued:" text
    QByteArray tableDate; // the table's marker line after the marker
};

// Reads a product held in memory into a freshly reset observation store, as the
// window's readers do: 0, or -1 when it is not readable.
int ReadProduct(const QByteArray &product, ProductFormat format, ProductRead &read);

// Records first to last of the store, as a table for an 80-column terminal (wider
// only for figures of more than five digits), as CSV (RFC 4180) or as a JSON
// array. With `measurements`, each column of a text product that holds a 2800 MHz
// value but is no record follows them, as a 10.7 cm measurement.
enum class ReportFormat { Table, Csv, Json };
QString FormatReport(ProductFormat source, const ProductRead &read, int first, int last,
                     bool measurements, ReportFormat format);

// A text product's column time ("1700 UTC") as ISO 8601 UTC, dated by the table's
// own date, or in the older layout without one by the issue date, a column later
// in the day than the issue time belonging to the day before; empty when the
// product gives no date.
QString ColumnTimeUtc(const ProductRead &read, const QByteArray &columnTime);

// A JSON time tag ("2024-10-14T04:00:00") as ISO 8601 UTC, or empty.
QString TagTimeUtc(const QByteArray &timeTag);

// A quality text by its words: "good", "burst", "interference", "weather",
// "unknown cause", or the text itself when it names none of them.
QString QualityFlag(const QString &quality);
