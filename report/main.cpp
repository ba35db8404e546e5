// SPDX-License-Identifier: MIT
#include "report/ReportCommand.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QString report;
    QTextStream out(&report), err(stderr);
    const int status =
        RunReport(QCoreApplication::arguments(), ServiceLocations::standard(), out, err);
    // An alert (3) comes with the whole report; every other non-zero status with none.
    if (status != 0 && status != 3)
        return status;
    // The whole report in one go, every write checked: a full disk or a closed pipe
    // must not pass for a report.
    const QByteArray bytes = report.toUtf8();
    if (WriteWhole(STDOUT_FILENO, bytes) != bytes.size()) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        err << "corvaline-report: could not write the report to standard output: " << reason
            << "\n";
        return 1;
    }
    return status;
}
