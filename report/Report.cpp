// SPDX-License-Identifier: MIT
#include "report/Report.h"

#include "data/JsonFluxReader.h"
#include "data/Observations.h"
#include "data/PrintableText.h"
#include "data/Stations.h"
#include "data/TextFluxReader.h"
#include "flux/FluxDisplays.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
constexpr int Slot2800 = 5;
const char ObservationKind[] = "observation";
const char MeasurementKind[] = "10.7 cm";

class NullSink : public ObservationSink
{
public:
    void appendObservationItem(int, const char *) override {}
};

// One line of the report: a record of the store, or a 10.7 cm measurement of a
// column that is no record (observed 2800 MHz and nothing else).
struct Entry
{
    QString station, time, timeUtc, kind;
    QList<FluxFigure> observed, estimated;
    QStringList quality; // a flag per station frequency, or empty
};

// A product's text as the window's list shows it, without the characters with
// which a product could drive a terminal or reorder what it shows.
QString printable(const QByteArray &bytes)
{
    return ReplacedControls(QString::fromUtf8(bytes).trimmed());
}

// The observed figures in frequency order, 2800 MHz among them when measured.
QList<FluxFigure> observedFigures(const ObservationRecord &record)
{
    QList<FluxFigure> figures;
    for (const FluxFigure &figure : FluxFigures(record))
        if (figure.observed)
            figures << figure;
    if (record.slots[Slot2800].flux != MissingValue)
        figures.insert(5, {2800, record.slots[Slot2800].flux, true});
    return figures;
}

Entry recordEntry(ProductFormat source, const ProductRead &read, int index, int column)
{
    const ObservationRecord &record = ObservationRecords[index];
    Entry entry;
    entry.station = CanonicalStationName(printable(record.name));
    const bool json = source == ProductFormat::Json;
    entry.time = printable(json ? DisplayTimeFromTag(record.timeText) : record.timeText);
    entry.timeUtc =
        json ? TagTimeUtc(record.timeText)
             : ColumnTimeUtc(read.issued, read.tableDate, StationColumns[column - 1].time);
    entry.kind = ObservationKind;
    entry.observed = observedFigures(record);
    for (const FluxFigure &figure : FluxFigures(record))
        if (!figure.observed)
            entry.estimated << figure;
    for (const FrequencySlot &slot : record.slots)
        entry.quality << QualityFlag(printable(slot.quality));
    return entry;
}

Entry measurementEntry(const ProductRead &read, int column)
{
    const StationColumn &station = StationColumns[column - 1];
    const QByteArray date = read.issued.left(
        qsizetype(Utf8PrefixLength(read.issued.constData(), std::size_t(read.issued.size()), 12)));
    Entry entry;
    entry.station = CanonicalStationName(QString::fromLatin1(station.name));
    entry.time = printable(date.leftJustified(12) + station.time);
    entry.timeUtc = ColumnTimeUtc(read.issued, read.tableDate, station.time);
    entry.kind = MeasurementKind;
    entry.observed = {{2800, IndicesGrid[Slot2800][column], true}};
    entry.quality = QStringList(StationFrequencyCount, QString());
    return entry;
}

// The grid column of each record of a text product, in record order.
QList<int> recordColumns()
{
    QList<int> columns;
    for (int column = 1; column < IndicesGridColumns; ++column)
        if (IndicesGrid[0][column] != MissingValue)
            columns << column;
    return columns;
}

QList<Entry> entries(ProductFormat source, const ProductRead &read, int first, int last,
                     bool measurements)
{
    const QList<int> columns = source == ProductFormat::Text ? recordColumns() : QList<int>();
    QList<Entry> list;
    for (int i = first; i <= last; ++i)
        list << recordEntry(source, read, i, columns.value(i));
    if (measurements && source == ProductFormat::Text)
        for (int column = 1; column < IndicesGridColumns; ++column)
            if (IndicesGrid[0][column] == MissingValue &&
                IndicesGrid[Slot2800][column] != MissingValue)
                list << measurementEntry(read, column);
    return list;
}

// Columns as wide as the widest figure or frequency and a blank, at least six.
int columnWidth(const QList<FluxFigure> &figures)
{
    qsizetype width = 5;
    for (const FluxFigure &figure : figures)
        width = std::max({width, QString::number(figure.frequencyMHz).size(),
                          QString::number(figure.value).size()});
    return int(width) + 1;
}

QString table(const Entry &e)
{
    QString text = e.station.leftJustified(11) + ' ' + e.time;
    if (e.kind == MeasurementKind)
        return text + "   " + MeasurementKind + "   " + QString::number(e.observed[0].value) +
               " sfu\n";
    text += '\n';
    const int width = columnWidth(e.observed + e.estimated);
    for (const bool observed : {true, false}) {
        const QList<FluxFigure> &figures = observed ? e.observed : e.estimated;
        for (int row = 0; row < figures.size(); row += 10) {
            QString mhz = QString(row ? "" : observed ? "observed" : "estimated").leftJustified(11);
            QString sfu(11, ' ');
            for (const FluxFigure &figure : figures.mid(row, 10)) {
                mhz += QString::number(figure.frequencyMHz).rightJustified(width);
                sfu += QString::number(figure.value).rightJustified(width);
            }
            text += "  " + mhz + " MHz\n  " + sfu + " sfu\n";
        }
    }
    return text;
}

} // namespace

// A text cell that a spreadsheet would take for a formula gets a leading
// apostrophe; a number is left as it is.
QString CsvField(const QString &text)
{
    const auto isNumber = [&text] {
        bool number = false;
        text.toDouble(&number);
        return number;
    };
    const bool formula =
        !text.isEmpty() && QString("=+-@\t\r").contains(text.front()) && !isNumber();
    const QString field = formula ? '\'' + text : text;
    const auto quoted = [](QChar c) { return c == '"' || c == ',' || c == '\r' || c == '\n'; };
    if (std::none_of(field.begin(), field.end(), quoted))
        return field;
    return '"' + QString(field).replace('"', "\"\"") + '"';
}

namespace {
QStringList csvHeader()
{
    QStringList header = {"station", "time"};
    for (const FluxFigure &figure : FluxFigures(ObservationRecord{}))
        header
            << QString(figure.observed ? "observed_%1" : "estimated_%1").arg(figure.frequencyMHz);
    header << "time_utc"
           << "kind"
           << "observed_2800";
    for (int frequency : StationFrequencies)
        header << QString("quality_%1").arg(frequency);
    return header;
}

QString csv(const Entry &e)
{
    QStringList fields = {CsvField(e.station), CsvField(e.time)};
    const bool record = e.kind == ObservationKind;
    QString observed2800;
    for (const FluxFigure &figure : e.observed)
        if (figure.frequencyMHz == 2800)
            observed2800 = QString::number(figure.value);
        else
            fields << QString::number(figure.value);
    for (const FluxFigure &figure : e.estimated)
        fields << QString::number(figure.value);
    for (int i = int(fields.size()); !record && i < 2 + FluxDisplayCount; ++i)
        fields << QString();
    fields << e.timeUtc << e.kind << observed2800;
    for (const QString &flag : e.quality)
        fields << CsvField(flag);
    return fields.join(',');
}

} // namespace

QString JsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

namespace {
QString jsonValue(const QString &text)
{
    return text.isEmpty() ? QString("null") : JsonString(text);
}

QString jsonFigures(const QList<FluxFigure> &figures)
{
    QStringList pairs;
    for (const FluxFigure &figure : figures)
        pairs << QString("\"%1\": %2")
                     .arg(figure.frequencyMHz)
                     .arg(figure.value == MissingValue ? QString("null")
                                                       : QString::number(figure.value));
    return '{' + pairs.join(", ") + '}';
}

QString json(const Entry &e)
{
    QString text = "{\"station\": " + JsonString(e.station) + ", \"time\": " + JsonString(e.time);
    if (e.kind == MeasurementKind)
        return text + ", \"time_utc\": " + jsonValue(e.timeUtc) +
               ", \"kind\": " + JsonString(e.kind) + ", \"observed\": " + jsonFigures(e.observed) +
               '}';
    QStringList quality;
    for (int k = 0; k < StationFrequencyCount; ++k)
        quality << QString("\"%1\": %2").arg(StationFrequencies[k]).arg(jsonValue(e.quality[k]));
    return text + ", \"observed\": " + jsonFigures(e.observed) +
           ", \"estimated\": " + jsonFigures(e.estimated) +
           ", \"time_utc\": " + jsonValue(e.timeUtc) + ", \"kind\": " + JsonString(e.kind) +
           ", \"quality\": {" + quality.join(", ") + "}}";
}

} // namespace

ProductFormat DetectProductFormat(const QByteArray &product)
{
    const QByteArray start =
        product.mid(product.startsWith("\xef\xbb\xbf") ? 3 : 0).trimmed().left(1);
    return start == "[" || start == "{" || start == "\"" ? ProductFormat::Json
                                                         : ProductFormat::Text;
}

int ReadProduct(const QByteArray &product, ProductFormat format, ProductRead &read)
{
    NullSink sink;
    read = ProductRead();
    ResetObservationStore(read.count);
    if (format == ProductFormat::Json) {
        const int result =
            ReadJsonFluxDocument(JsonProductText(product), read.count, sink, &read.observations);
        read.entries = read.observations.size();
        return result;
    }
    read.observations = ReadTextObservations(product, &read.issued, &read.tableDate);
    BuildStationRecords(read.observations, read.count, sink);
    if (VerboseLogging)
        DumpObservations(read.count);
    return 0;
}

QString FormatReport(ProductFormat source, const ProductRead &read, int first, int last,
                     bool measurements, ReportFormat format)
{
    QStringList parts;
    if (format == ReportFormat::Csv)
        parts << csvHeader().join(',');
    for (const Entry &entry : entries(source, read, first, last, measurements))
        parts << (format == ReportFormat::Table  ? table(entry)
                  : format == ReportFormat::Json ? "  " + json(entry)
                                                 : csv(entry));
    if (format == ReportFormat::Json)
        return "[\n" + parts.join(",\n") + "\n]\n";
    return format == ReportFormat::Csv ? parts.join("\r\n") + "\r\n" : parts.join('\n');
}

std::pair<QString, QString> RecordIdentity(ProductFormat source, const ProductRead &read, int index)
{
    const QList<int> columns = source == ProductFormat::Text ? recordColumns() : QList<int>();
    const Entry entry = recordEntry(source, read, index, columns.value(index));
    return {entry.station, entry.timeUtc};
}

QString RecordJson(ProductFormat source, const ProductRead &read, int index)
{
    const QList<int> columns = source == ProductFormat::Text ? recordColumns() : QList<int>();
    return json(recordEntry(source, read, index, columns.value(index)));
}
