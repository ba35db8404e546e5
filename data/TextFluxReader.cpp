// SPDX-License-Identifier: MIT
#include "data/TextFluxReader.h"

#include "data/Products.h"

#include <QBuffer>
#include <QDebug>
#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

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
constexpr int FluxTableHeadingLines = 2;

using Line = std::string_view;

// The lines of a product held in memory, each with its line end.
class Lines
{
public:
    explicit Lines(const QByteArray &text) : text(text.constData(), std::size_t(text.size())) {}

    // False once the text is exhausted.
    bool next(Line &line)
    {
        if (position >= text.size())
            return false;
        const std::size_t end = std::min(text.find('\n', position), text.size() - 1) + 1;
        line = text.substr(position, end - position);
        position = end;
        return true;
    }

private:
    Line text;
    std::size_t position = 0;
};

// "\n" and "\r\n" end a line; a last line without an end is kept whole.
Line withoutLineEnd(Line line)
{
    if (line.empty() || line.back() != '\n')
        return line;
    line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

bool contains(Line line, const char *marker)
{
    return line.find(marker) != Line::npos;
}

QByteArray textAfter(Line line, const char *marker)
{
    const Line rest = line.substr(line.find(marker) + std::strlen(marker));
    return QByteArray(rest.data(), qsizetype(rest.size())).trimmed();
}

// The text from column 9 to the line end or a zero byte; only its date part is
// ever used, and the observations cut that.
QByteArray issueDateFrom(Line line)
{
    if (line.size() <= IssueDateColumn)
        return {};
    const Line rest = line.substr(IssueDateColumn);
    return QByteArray(rest.data(), qsizetype(std::min(rest.find('\0'), rest.size())));
}

// Only blanks separate the values of a row whose line end is removed.
void readFluxTableRows(Lines &lines)
{
    Line line;
    for (int heading = 0; heading < FluxTableHeadingLines; ++heading)
        lines.next(line);
    for (int row = 0; row < StationFrequencyCount; ++row) {
        if (!lines.next(line))
            return;
        line = withoutLineEnd(line);
        std::size_t at = line.find_first_not_of(' ');
        for (int column = 0; column < IndicesGridColumns && at != Line::npos; ++column) {
            const std::size_t end = std::min(line.find(' ', at), line.size());
            IndicesGrid[row][column] = ParseIntToken(line.substr(at, end - at));
            at = line.find_first_not_of(' ', end);
        }
    }
}

bool isCSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
} // namespace

int ParseIntToken(std::string_view token)
{
    std::size_t i = 0;
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

QByteArray ReadIndicesTable(QIODevice &in, QByteArray *tableDate)
{
    ResetIndicesGrid();
    const QByteArray text = in.readAll();
    Lines lines(text);
    QByteArray issueDate;
    Line line;
    while (lines.next(line)) {
        line = withoutLineEnd(line);
        if (contains(line, ":Product:"))
            continue;
        if (contains(line, ":Issued:"))
            issueDate = issueDateFrom(line);
        else if (contains(line, ":Solar_Radio_Flux:")) {
            if (tableDate)
                *tableDate = textAfter(line, ":Solar_Radio_Flux:");
            readFluxTableRows(lines);
        }
    }
    return issueDate;
}

void BuildStationRecords(const QList<Observation> &observations, int &observationCount,
                         ObservationSink &sink)
{
    for (const Observation &observation : observations) {
        const WrittenObservation &written = observation.written;
        if (written.figures.size() != StationFrequencyCount || !written.figures[0].number)
            continue;
        if (observationCount >= ObservationCapacity)
            return;
        ObservationRecord &record = ObservationRecords[observationCount];
        ClearObservation(record);
        const QByteArray name = written.name.toLatin1();
        const QByteArray timeText = written.timeText.toLatin1();
        WriteFixedText(record.name, name.constData(), std::size_t(name.size()));
        WriteFixedText(record.timeText, timeText.constData(), std::size_t(timeText.size()));
        for (int k = 0; k < StationFrequencyCount; ++k) {
            const std::optional<double> &cell = written.figures[k].number;
            record.slots[k].flux = cell ? std::int32_t(*cell) : MissingValue;
        }
        PublishRecord(sink, observationCount, record.name, record.timeText);
    }
}

int ReadTextFluxFile(const QString &path, int &observationCount, ObservationSink &sink)
{
    QByteArray product;
    if (!ReadProductFile(path, product)) {
        qDebug() << "Could not open SFU datafile";
        return -1;
    }
    BuildStationRecords(ReadTextObservations(product), observationCount, sink);
    DumpObservations(observationCount);
    return 0;
}
