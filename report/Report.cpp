#include "report/Report.h"

#include "data/JsonFluxReader.h"
#include "data/PrintableText.h"
#include "data/TextFluxReader.h"
#include "flux/FluxDisplays.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace {
class NullSink : public ObservationSink
{
public:
    void appendObservationItem(int, const char *) override {}
};

struct Observation
{
    QString station, time;
    std::array<FluxFigure, FluxDisplayCount> figures;
};

// A station and time as the window's list shows them, without the characters
// with which a product could drive a terminal or reorder what it shows.
QString printable(const QByteArray &bytes)
{
    return ReplacedControls(QString::fromUtf8(bytes).trimmed());
}

Observation observation(ProductFormat source, int index)
{
    const ObservationRecord &record = ObservationRecords[index];
    const QByteArray time =
        source == ProductFormat::Json ? DisplayTimeFromTag(record.timeText) : record.timeText;
    return {printable(record.name), printable(time), FluxFigures(record)};
}

// The figures of one group, observed or estimated, in order.
QList<FluxFigure> group(const Observation &o, bool observed)
{
    QList<FluxFigure> figures;
    for (const FluxFigure &figure : o.figures)
        if (figure.observed == observed)
            figures << figure;
    return figures;
}

QString table(const Observation &o)
{
    QString text = o.station.leftJustified(11) + ' ' + o.time + '\n';
    for (const bool observed : {true, false}) {
        const QList<FluxFigure> figures = group(o, observed);
        for (int row = 0; row < figures.size(); row += 10) {
            QString mhz = QString(row ? "" : observed ? "observed" : "estimated").leftJustified(11);
            QString sfu(11, ' ');
            for (const FluxFigure &figure : figures.mid(row, 10)) {
                mhz += QString::number(figure.frequencyMHz).rightJustified(6);
                sfu += QString::number(figure.value).rightJustified(6);
            }
            text += "  " + mhz + " MHz\n  " + sfu + " sfu\n";
        }
    }
    return text;
}

// A text cell that a spreadsheet would take for a formula gets a leading
// apostrophe; a number is left as it is.
QString csvField(const QString &text)
{
    bool number = false;
    text.toDouble(&number);
    const bool formula = !number && !text.isEmpty() && QString("=+-@\t\r").contains(text.front());
    const QString field = formula ? '\'' + text : text;
    if (!field.contains(QRegularExpression("[\",\\r\\n]")))
        return field;
    return '"' + QString(field).replace('"', "\"\"") + '"';
}

QString jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString json(const Observation &o)
{
    QString text = "{\"station\": " + jsonString(o.station) + ", \"time\": " + jsonString(o.time);
    for (const bool observed : {true, false}) {
        QStringList figures;
        for (const FluxFigure &figure : group(o, observed))
            figures << QString("\"%1\": %2")
                           .arg(figure.frequencyMHz)
                           .arg(figure.value == MissingValue ? QString("null")
                                                             : QString::number(figure.value));
        text += QString(observed ? ", \"observed\": {" : ", \"estimated\": {") +
                figures.join(", ") + '}';
    }
    return text + '}';
}
} // namespace

ProductFormat DetectProductFormat(const QByteArray &product)
{
    const QByteArray start =
        product.mid(product.startsWith("\xef\xbb\xbf") ? 3 : 0).trimmed().left(1);
    return start == "[" || start == "{" || start == "\"" ? ProductFormat::Json
                                                         : ProductFormat::Text;
}

int ReadProduct(const QByteArray &product, ProductFormat format, int &count)
{
    QByteArray bytes = product;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    NullSink sink;
    count = 0;
    if (format == ProductFormat::Json)
        return ReadJsonFluxDevice(buffer, count, sink);
    BuildStationRecords(ReadIndicesTable(buffer), count, sink);
    if (VerboseLogging)
        DumpObservations(count);
    return 0;
}

QString FormatReport(ProductFormat source, int first, int last, ReportFormat format)
{
    QStringList parts;
    if (format == ReportFormat::Csv) {
        QStringList header = {"station", "time"};
        for (const FluxFigure &figure : FluxFigures(ObservationRecords[first]))
            header << QString(figure.observed ? "observed_%1" : "estimated_%1")
                          .arg(figure.frequencyMHz);
        parts << header.join(',');
    }
    for (int i = first; i <= last; ++i) {
        const Observation o = observation(source, i);
        if (format == ReportFormat::Table) {
            parts << table(o);
        } else if (format == ReportFormat::Json) {
            parts << "  " + json(o);
        } else {
            QStringList fields = {csvField(o.station), csvField(o.time)};
            for (const FluxFigure &figure : o.figures)
                fields << QString::number(figure.value);
            parts << fields.join(',');
        }
    }
    if (format == ReportFormat::Json)
        return "[\n" + parts.join(",\n") + "\n]\n";
    return format == ReportFormat::Csv ? parts.join("\r\n") + "\r\n" : parts.join('\n');
}
