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
    int count = 0;
    ResetObservationStore(count);
    if (ReadProduct(bytes, format, count) != 0 || count == 0)
        return 0;
    REQUIRE(count <= (format == ProductFormat::Json ? ObservationCapacity : 7));
    // Nothing unprintable reaches a terminal; CSV has a header and a line for each
    // observation; the JSON is an array of them.
    const QString table = FormatReport(format, 0, count - 1, ReportFormat::Table);
    const QString csv = FormatReport(format, 0, count - 1, ReportFormat::Csv);
    for (const char32_t c : (table + csv).toUcs4())
        REQUIRE(!IsControlOrFormat(c) || c == '\n' || c == '\r');
    REQUIRE(csv.count("\r\n") == count + 1);
    const QJsonDocument json =
        QJsonDocument::fromJson(FormatReport(format, 0, count - 1, ReportFormat::Json).toUtf8());
    REQUIRE(json.isArray() && json.array().size() == count);
    return 0;
}
