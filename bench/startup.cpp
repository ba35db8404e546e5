// SPDX-License-Identifier: MIT
// The real window reading the product cached in DIRECTORY, to its first frame,
// offscreen: start-up for /usr/bin/time (an empty DIRECTORY is the baseline, the
// same widgets, styles and TLS lines with nothing read), and with PNG the picture
// of the README and the metainfo, as the first frame shows it.
#include "app/MainWindow.h"

#include <QApplication>
#include <QTimer>

namespace {
// Quits once the window has painted for the first time.
class FirstFrame : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }
};
} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2 || argc > 3)
        return 2;
    MainWindow window({QString::fromLocal8Bit(argv[1]) + "/", "https://127.0.0.1:1"});
    FirstFrame firstFrame;
    window.installEventFilter(&firstFrame);
    window.show();
    const int result = QApplication::exec();
    return argc == 3 && !window.grab().save(QString::fromLocal8Bit(argv[2])) ? 1 : result;
}
