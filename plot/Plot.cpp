// SPDX-License-Identifier: MIT
#include "plot/Plot.h"

#include <QChart>
#include <QCoreApplication>
#include <QDateTimeAxis>
#include <QGraphicsScene>
#include <QImage>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QSvgGenerator>
#include <QTimeZone>

namespace {
constexpr QSize PlotSize(1000, 600);

PlotLine &lineNamed(QList<PlotLine> &lines, const QString &name)
{
    for (PlotLine &line : lines)
        if (line.name == name)
            return line;
    lines << PlotLine{name, {}};
    return lines.last();
}

QString lineName(const QString &station, int mhz)
{
    return QString("%1 %2 MHz").arg(station).arg(mhz);
}

std::pair<double, double> fluxRange(const QList<PlotLine> &lines)
{
    double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
    for (const PlotLine &line : lines)
        for (const auto &point : line.points) {
            low = std::min(low, point.second);
            high = std::max(high, point.second);
        }
    return {low, high};
}

// A chart of the lines on a date axis and a logarithmic flux axis.
void fillChart(QChart &chart, const QList<PlotLine> &lines, const QString &title)
{
    chart.setTitle(title);
    chart.setAnimationOptions(QChart::NoAnimation);
    auto *dates = new QDateTimeAxis;
    dates->setFormat("yyyy-MM-dd");
    dates->setTitleText("date (UTC)");
    auto *flux = new QLogValueAxis;
    flux->setLabelFormat("%g");
    flux->setTitleText("sfu");
    chart.addAxis(dates, Qt::AlignBottom);
    chart.addAxis(flux, Qt::AlignLeft);
    qint64 first = std::numeric_limits<qint64>::max(), last = std::numeric_limits<qint64>::min();
    for (const PlotLine &line : lines) {
        auto *series = new QLineSeries;
        series->setName(line.name);
        series->setPointsVisible(line.points.size() < 200);
        for (const auto &point : line.points) {
            series->append(double(point.first), point.second);
            first = std::min(first, point.first);
            last = std::max(last, point.first);
        }
        chart.addSeries(series);
        series->attachAxis(dates);
        series->attachAxis(flux);
    }
    // One point alone, or several of one time, still needs a span of time to show.
    const qint64 margin = std::max<qint64>((last - first) / 50, 3600 * 1000);
    dates->setRange(QDateTime::fromMSecsSinceEpoch(first - margin, QTimeZone::utc()),
                    QDateTime::fromMSecsSinceEpoch(last + margin, QTimeZone::utc()));
    // Labels stand at the powers of the base only: powers of 2 label a range
    // narrower than a decade or so, powers of 10 a wider one.
    const auto [low, high] = fluxRange(lines);
    flux->setBase(high / low < 20 ? 2 : 10);
    flux->setMinorTickCount(high / low < 20 ? 0 : 8);
    flux->setRange(low / 1.2, high * 1.2);
}
} // namespace

QList<PlotLine> LinesOfSeries(const QList<HistoryRow> &rows)
{
    QList<PlotLine> lines;
    for (const HistoryRow &row : rows)
        if (row.sfu > 0)
            lineNamed(lines, lineName(row.station, row.mhz)).points
                << qMakePair(row.timeS * 1000, row.sfu);
    return lines;
}

QList<PlotLine> LinesOfDays(const QList<DailyRow> &rows)
{
    QList<PlotLine> lines;
    for (const DailyRow &row : rows)
        if (row.sfu > 0)
            lineNamed(lines, lineName(row.station, row.mhz)).points << qMakePair(
                QDateTime(row.day, QTime(12, 0), Qt::UTC).toMSecsSinceEpoch(), row.sfu);
    return lines;
}

QString PlotTitle(const QDateTime &from, const QDateTime &to, bool daily)
{
    return QString("Solar radio flux, %1 to %2 UTC%3")
        .arg(from.toString("yyyy-MM-dd HH:mm"), to.toString("yyyy-MM-dd HH:mm"),
             daily ? " (daily medians)" : "");
}

bool RenderPlot(const QList<PlotLine> &lines, const QString &title, const QString &path,
                QString &error)
{
    QGraphicsScene scene;
    auto *chart = new QChart;
    scene.addItem(chart);
    chart->setGeometry(QRectF(QPointF(0, 0), PlotSize));
    fillChart(*chart, lines, title);
    // The chart lays out its axes, labels and legend in posted events.
    QCoreApplication::processEvents();
    const QRectF area(QPointF(0, 0), PlotSize);
    if (path.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(PlotSize);
        svg.setViewBox(area);
        svg.setTitle(title);
        QPainter painter;
        if (!painter.begin(&svg)) {
            error = "cannot write " + path;
            return false;
        }
        scene.render(&painter, area, area);
        return painter.end();
    }
    // Opaque: the fastest format to paint on, and a PNG without an alpha channel.
    QImage image(PlotSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, area, area);
    }
    if (!image.save(path, "PNG")) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
