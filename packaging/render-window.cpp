// Renders the main window, reading the product cached in a directory of the
// caller's, to a PNG: the picture of the README and the metainfo.
#include "app/MainWindow.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DATA_DIRECTORY OUTPUT.png\n", argv[0]);
        return 2;
    }
    // Nothing is fetched: the endpoint is only there to fill the locations.
    MainWindow window({QString::fromLocal8Bit(argv[1]) + "/", "https://127.0.0.1:1"});
    window.show();
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
