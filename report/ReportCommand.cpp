// SPDX-License-Identifier: MIT
#include "report/ReportCommand.h"

#include "data/JsonFluxReader.h"
#include "net/FileDownload.h"
#include "report/Report.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

namespace {
constexpr int TransferTimeoutMs = 30 * 1000; // without data

QTextStream *logStream = nullptr; // where the debug log goes, or nowhere

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

int usageError(const QCommandLineParser &parser, const QString &error, QTextStream &err)
{
    err << "corvaline-report: " << error << "\n\n" << parser.helpText();
    return 2;
}
} // namespace

int RunReport(const QStringList &arguments, const ServiceLocations &locations, QTextStream &out,
              QTextStream &err, int fetchDeadlineMs)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Reports the solar radio flux observed by NOAA's stations and estimated at the amateur\n"
        "bands, from the product the window caches, for scripts, terminals and dashboards.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption json("json", "Read the cached JSON product instead of the text one.");
    const QCommandLineOption file("file", "Read the product file PATH, text or JSON.", "PATH");
    const QCommandLineOption fetchOption("fetch", "Download the product into the cache first.");
    const QCommandLineOption only("observation", "Report observation N only; 0 is the first.", "N");
    const QCommandLineOption format("format", "table (the default), csv or json.", "FORMAT",
                                    "table");
    const QCommandLineOption verbose("verbose", "Write the readers' and downloader's log to "
                                                "standard error.");
    parser.addOptions({json, file, fetchOption, only, format, verbose});
    if (!parser.parse(arguments))
        return usageError(parser, parser.errorText(), err);
    if (parser.isSet(help)) {
        out << parser.helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        out << "corvaline-report 1.02\n";
        return 0;
    }
    const QStringList formats = {"table", "csv", "json"};
    const int reportFormat = int(formats.indexOf(parser.value(format)));
    bool numeric = true;
    const int wanted = parser.isSet(only) ? parser.value(only).toInt(&numeric) : -1;
    if (!parser.positionalArguments().isEmpty())
        return usageError(parser, "unexpected argument " + parser.positionalArguments().first(),
                          err);
    if (reportFormat < 0)
        return usageError(parser, "unknown format " + parser.value(format), err);
    if (!numeric || (parser.isSet(only) && wanted < 0))
        return usageError(parser, "the observation is a number from 0: " + parser.value(only), err);
    if (parser.isSet(file) && (parser.isSet(json) || parser.isSet(fetchOption)))
        return usageError(parser, "--file reads a file of its own: no --json or --fetch with it",
                          err);

    logStream = parser.isSet(verbose) ? &err : nullptr;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &line) {
            if (logStream)
                *logStream << line << '\n';
        });
    VerboseLogging = parser.isSet(verbose);
    const Product &product = parser.isSet(json) ? JsonProduct : TextProduct;
    int status = 1;
    if (!parser.isSet(fetchOption) || fetch(product, locations, err, fetchDeadlineMs)) {
        const QString path =
            parser.isSet(file) ? parser.value(file) : locations.localPathOf(product);
        // A cached product is read only as a regular file, never through a link.
        const ProductLinks links = parser.isSet(file) ? ProductLinks::Follow : ProductLinks::Refuse;
        QByteArray bytes;
        ProductRead read;
        if (!ReadProductFile(path, bytes, links)) {
            err << "corvaline-report: cannot read " << path
                << ": no such file, or not a regular file of at most 16 MiB";
            // Only the JSON product cached: the window's default text one is not.
            QByteArray json;
            if (&product == &TextProduct && !parser.isSet(file) &&
                ReadProductFile(locations.localPathOf(JsonProduct), json))
                err << "; the JSON product is cached: use --json";
            err << "\n";
        } else {
            const ProductFormat source = parser.isSet(file)   ? DetectProductFormat(bytes)
                                         : parser.isSet(json) ? ProductFormat::Json
                                                              : ProductFormat::Text;
            const int count = ReadProduct(bytes, source, read) == 0 ? read.count : -1;
            if (count < 0)
                err << "corvaline-report: " << path << " is not a JSON array of observations\n";
            else if (count == 0)
                err << "corvaline-report: " << path << " holds no observations\n";
            else if (wanted >= count)
                err << "corvaline-report: there is no observation " << wanted << "; " << path
                    << " holds " << count << ", from 0 to " << count - 1 << "\n";
            else {
                out << FormatReport(source, read, qMax(wanted, 0), wanted < 0 ? count - 1 : wanted,
                                    wanted < 0, ReportFormat(reportFormat));
                if (read.entries > count)
                    err << "corvaline-report: " << path << " holds " << read.entries
                        << " observations, the newest " << count << " are read\n";
                status = 0;
            }
        }
    }
    qInstallMessageHandler(previous);
    logStream = nullptr;
    return status;
}
