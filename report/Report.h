// SPDX-License-Identifier: MIT
#pragma once

#include "data/Observations.h"

#include <QByteArray>
#include <QString>
#include <utility>

// The two products are told apart by their content: JSON begins with an array
// (or another JSON value), the text product with its markers and comments.
enum class ProductFormat { Text, Json };
ProductFormat DetectProductFormat(const QByteArray &product);

// What a read leaves beside the store: the records in it, how many entries a
// JSON product holds (the store keeps the first 90), the dates that the text
// product's columns belong to, and every observation of the product, from which
// the store took its records.
struct ProductRead
{
    int count = 0;
    qsizetype entries = 0;
    QByteArray issued;    // the ":Issued:" text
    QByteArray tableDate; // the table's marker line after the marker
    QList<Observation> observations;
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

// The station and ISO 8601 UTC time of record `index` of the store, as the report
// names them: what finds the record's observation in a product's sequence.
std::pair<QString, QString> RecordIdentity(ProductFormat source, const ProductRead &read,
                                           int index);

// Record `index` as the report prints it in JSON: one object.
QString RecordJson(ProductFormat source, const ProductRead &read, int index);

// A CSV field (RFC 4180); a text cell that a spreadsheet would take for a formula
// gets a leading apostrophe, a number is left as it is.
QString CsvField(const QString &text);

// A JSON string literal of the text.
QString JsonString(const QString &text);
