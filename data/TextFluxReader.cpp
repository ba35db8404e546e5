#include "data/TextFluxReader.h"

#include "data/Products.h"

#include <QDebug>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <limits>

const std::array<StationColumn, IndicesGridColumns - 1> StationColumns = {{
    {"Learmonth  ", "0400 UTC"},
    {"San Vito   ", "1000 UTC"},
    {"Sag Hill   ", "1700 UTC"},
    {"Pentiction ", "1700 UTC"},
    {"Pentiction ", "2000 UTC"},
    {"Palehua    ", "2300 UTC"},
    {"Pentiction ", "2300 UTC"},
}};

namespace {
constexpr int IssueDateColumn = 9;
constexpr int IssueDateMaxBytes = 32;
constexpr int IssueDatePartBytes = 12;
constexpr int FluxTableHeadingLines = 2;

// Reads one whole line, line end included; false once the input is exhausted.
bool readRawLine(QIODevice &in, QByteArray &line)
{
    line = in.readLine();
    return !line.isEmpty();
}

void removeLineEnd(QByteArray &line)
{
    if (!line.endsWith('\n'))
        return;
    line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
}

QByteArray cutAtNul(const QByteArray &text)
{
    const int nul = text.indexOf('\0');
    return nul < 0 ? text : text.left(nul);
}

QByteArray issueDateFrom(const QByteArray &line)
{
    const QByteArray rest = cutAtNul(line.mid(IssueDateColumn));
    return rest.left(int(Utf8PrefixLength(rest.constData(), rest.size(), IssueDateMaxBytes)));
}

// Only blanks separate the values of a row whose line end is removed.
QList<QByteArray> splitRowTokens(const QByteArray &row)
{
    QList<QByteArray> tokens = row.split(' ');
    tokens.removeAll(QByteArray());
    return tokens;
}

void readFluxTableRows(QIODevice &in)
{
    QByteArray line;
    for (int heading = 0; heading < FluxTableHeadingLines; ++heading)
        readRawLine(in, line);
    for (int row = 0; row < StationFrequencyCount; ++row) {
        if (!readRawLine(in, line))
            return;
        removeLineEnd(line);
        const QList<QByteArray> tokens = splitRowTokens(line);
        for (int column = 0; column < IndicesGridColumns && column < tokens.size(); ++column)
            IndicesGrid[row][column] = ParseIntToken(tokens[column]);
    }
}

bool isCSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
} // namespace

int ParseIntToken(const QByteArray &token)
{
    int i = 0;
    while (i < token.size() && isCSpace(token[i]))
        ++i;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        negative = token[i++] == '-';
    const long long limit = negative ? -static_cast<long long>(std::numeric_limits<int>::min())
                                     : std::numeric_limits<int>::max();
    long long value = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
        value = value * 10 + (token[i] - '0');
        if (value > limit)
            return MissingValue;
    }
    return static_cast<int>(negative ? -value : value);
}

QByteArray ReadIndicesTable(QIODevice &in)
{
    ResetIndicesGrid();
    QByteArray issueDate;
    QByteArray line;
    while (readRawLine(in, line)) {
        removeLineEnd(line);
        if (line.contains(":Product:"))
            continue;
        if (line.contains(":Issued:"))
            issueDate = issueDateFrom(line);
        else if (line.contains(":Solar_Radio_Flux:"))
            readFluxTableRows(in);
    }
    return issueDate;
}

void BuildStationRecords(const QByteArray &issueDate, int &observationCount, ObservationSink &sink)
{
    const std::size_t datePart =
        Utf8PrefixLength(issueDate.constData(), issueDate.size(), IssueDatePartBytes);
    for (int column = 1; column < IndicesGridColumns; ++column) {
        if (IndicesGrid[0][column] == MissingValue)
            continue;
        if (observationCount >= ObservationCapacity)
            return;
        const StationColumn &station = StationColumns[column - 1];
        ObservationRecord &record = ObservationRecords[observationCount];
        ClearObservation(record);
        WriteFixedText(record.name, station.name);
        std::memset(record.timeText, 0, FixedTextSize);
        std::memcpy(record.timeText, issueDate.constData(), datePart);
        std::memcpy(record.timeText + IssueDatePartBytes, station.time, std::strlen(station.time));
        for (int k = 0; k < StationFrequencyCount; ++k)
            record.slots[k].flux = IndicesGrid[k][column];

        char itemText[2 * FixedTextSize + 2];
        std::snprintf(itemText, sizeof itemText, "%s %s", record.name, record.timeText);
        PublishRecord(sink, observationCount, itemText);
    }
}

int ReadTextFluxFile(const QString &path, int &observationCount, ObservationSink &sink)
{
    QFile file(path);
    if (!OpenProductFile(file)) {
        qDebug() << "Could not open SFU datafile";
        return -1;
    }
    const QByteArray issueDate = ReadIndicesTable(file);
    file.close();
    BuildStationRecords(issueDate, observationCount, sink);
    DumpObservations(observationCount);
    return 0;
}
