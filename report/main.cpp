// SPDX-License-Identifier: MIT
#include "report/ReportCommand.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {
// The whole report in one go, every write checked: a full disk or a closed pipe
// must not pass for a report. Returns 0, or errno of the failed write.
int writeAll(int fd, const QByteArray &bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        written += n;
    }
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QString report;
    QTextStream out(&report), err(stderr);
    const int status =
        RunReport(QCoreApplication::arguments(), ServiceLocations::standard(), out, err);
    if (status != 0)
        return status;
    if (const int error = writeAll(STDOUT_FILENO, report.toUtf8())) {
        err << "corvaline-report: could not write the report to standard output: "
            << QString::fromLocal8Bit(std::strerror(error)) << "\n";
        return 1;
    }
    return 0;
}
