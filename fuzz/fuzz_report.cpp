// SPDX-License-Identifier: MIT
#include "Invariants.h"
#include "data/PrintableText.h"
#include "report/Report.h"

#include <QJsonArray>
#include <QJsonDocument>

// Any bytes as a product file of corvaline-report: its format detected, read,
// and reported in the three formats.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const ProductFormat format = DetectProductFormat(bytes);
    ProductRead read;
    if (ReadProduct(bytes, format, read) != 0 || read.count == 0)
        return 0;
    const int count = read.count;
    REQUIRE(count <= (format == ProductFormat::Json ? ObservationCapacity : 7));
    // Nothing unprintable reaches a terminal; CSV has a header and a line for each
    // observation and 10.7 cm measurement, of which there are at most seven; the
    // JSON is an array of them.
    const auto report = [&](ReportFormat f) {
        return FormatReport(format, read, 0, count - 1, true, f);
    };
    const QString table = report(ReportFormat::Table), csv = report(ReportFormat::Csv);
    for (const char32_t c : (table + csv).toUcs4())
        REQUIRE(!IsControlOrFormat(c) || c == '\n' || c == '\r');
    const qsizetype lines = csv.count("\r\n") - 1;
    REQUIRE(lines >= count && lines <= std::max(count, 7));
    const QJsonDocument json = QJsonDocument::fromJson(report(ReportFormat::Json).toUtf8());
    REQUIRE(json.isArray() && json.array().size() == lines);
    return 0;
}
