#include "report/ReportCommand.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName("corvaline-report");
    QCoreApplication::setApplicationVersion("1.02");
    QTextStream out(stdout), err(stderr);
    return RunReport(QCoreApplication::arguments(), ServiceLocations::standard(), out, err);
}
