// SPDX-License-Identifier: MIT
#include "data/JsonFluxReader.h"
#include "net/FileDownload.h"
#include "report/ReportModes.h"
#include "sun/SunFigures.h"

#include <QEventLoop>
#include <QTimer>

namespace {
constexpr int TransferTimeoutMs = 30 * 1000; // without data

// Downloads the product into the data directory as the window does; true when the
// cache then holds what the service sent, or was kept because the body was empty.
bool fetch(const Product &product, const ServiceLocations &locations, QTextStream &err,
           int deadlineMs)
{
    FileDownload download;
    download.setTransferTimeout(TransferTimeoutMs);
    download.setTransferDeadline(deadlineMs);
    download.setBodyCheck(DownloadedProductRefusal);
    download.setWriteRefusalHint(QString::fromLatin1(CacheGroupHint));
    QEventLoop loop;
    // Every transfer, done() or not (a file that cannot be opened ends without it),
    // ends with none left in flight.
    QTimer idle;
    QObject::connect(&idle, &QTimer::timeout, &loop, [&] {
        if (!download.transfersInFlight())
            loop.quit();
    });
    idle.start(50);
    // The downloader stops the transfer at the deadline; this only guards the wait.
    QTimer::singleShot(deadlineMs + 5000, &loop, &QEventLoop::quit);
    const QString url = locations.urlOf(product);
    download.download(url, locations.localPathOf(product));
    loop.exec();
    if (download.transfersInFlight()) {
        err << "corvaline-report: fetching " << url << " did not end\n";
        return false;
    }
    if (!download.lastFailure().isEmpty()) {
        err << "corvaline-report: could not fetch " << url << ": " << download.lastFailure()
            << "\n";
        return false;
    }
    return true;
}

} // namespace

bool LoadProduct(const ModeContext &c, LoadedProduct &loaded)
{
    const QCommandLineParser &parser = c.parser;
    const ReportOptions &o = c.options;
    const Product &product = parser.isSet(o.json) ? JsonProduct : TextProduct;
    if (parser.isSet(o.fetch) && !fetch(product, c.locations, c.err, c.fetchDeadlineMs))
        return false;
    loaded.path = parser.isSet(o.file) ? parser.value(o.file) : c.locations.localPathOf(product);
    // A cached product is read only as a regular file, never through a link.
    const ProductLinks links = parser.isSet(o.file) ? ProductLinks::Follow : ProductLinks::Refuse;
    if (!ReadProductFile(loaded.path, loaded.bytes, links)) {
        c.err << "corvaline-report: cannot read " << loaded.path
              << ": no such file, or not a regular file of at most 16 MiB";
        // Only the JSON product cached: the window's default text one is not.
        QByteArray json;
        if (&product == &TextProduct && !parser.isSet(o.file) &&
            ReadProductFile(c.locations.localPathOf(JsonProduct), json))
            c.err << "; the JSON product is cached: use --json";
        c.err << "\n";
        return false;
    }
    loaded.format = parser.isSet(o.file)   ? DetectProductFormat(loaded.bytes)
                    : parser.isSet(o.json) ? ProductFormat::Json
                                           : ProductFormat::Text;
    const int count =
        ReadProduct(loaded.bytes, loaded.format, loaded.read) == 0 ? loaded.read.count : -1;
    if (count < 0)
        c.err << "corvaline-report: " << loaded.path << " is not a JSON array of observations\n";
    else if (count == 0)
        c.err << "corvaline-report: " << loaded.path << " holds no observations\n";
    return count > 0;
}

bool HasObservation(const ModeContext &c, const LoadedProduct &loaded, int wanted)
{
    const int count = loaded.read.count;
    if (wanted < count)
        return true;
    c.err << "corvaline-report: there is no observation " << wanted << "; " << loaded.path
          << " holds " << count << ", from 0 to " << count - 1 << "\n";
    return false;
}

qsizetype ChosenObservation(const ModeContext &c, const LoadedProduct &loaded,
                            const QList<Observation> &observations)
{
    const ReportOptions &o = c.options;
    if (c.parser.isSet(o.station))
        return NewestObservation(observations, c.parser.value(o.station));
    if (!c.parser.isSet(o.observation))
        return NewestObservation(observations);
    const auto identity =
        RecordIdentity(loaded.format, loaded.read, c.parser.value(o.observation).toInt());
    for (qsizetype i = 0; i < observations.size(); ++i)
        if (std::make_pair(observations[i].station, observations[i].timeUtc) == identity)
            return i;
    return -1;
}

int RunProductReport(const ModeContext &c)
{
    const QCommandLineParser &parser = c.parser;
    const ReportOptions &o = c.options;
    const int wanted = parser.isSet(o.observation) ? parser.value(o.observation).toInt() : -1;
    LoadedProduct loaded;
    if (!LoadProduct(c, loaded) || !HasObservation(c, loaded, wanted))
        return 1;
    if (parser.isSet(o.archive) && !ArchiveProduct(c, loaded))
        return 1;
    // A failure outranks an alert, and leaves standard output empty.
    const int alert =
        parser.isSet(o.alertAbove) || parser.isSet(o.alertRise) ? CheckAlerts(c, loaded) : 0;
    if (alert == 1 || (parser.isSet(o.publish) && !PublishObservation(c, loaded)))
        return 1;
    if (parser.isSet(o.quiet))
        return alert;
    const int count = loaded.read.count;
    c.out << FormatReport(loaded.format, loaded.read, qMax(wanted, 0),
                          wanted < 0 ? count - 1 : wanted, wanted < 0, c.format);
    if (loaded.read.entries > count)
        c.err << "corvaline-report: " << loaded.path << " holds " << loaded.read.entries
              << " observations, the newest " << count << " are read\n";
    return alert;
}
