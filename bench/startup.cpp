// Start-up to the first frame, for /usr/bin/time: the real window reading the
// product cached in DIRECTORY. Given an empty directory it is the baseline: the
// same widgets, styles and TLS lines, and nothing read.
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
    if (argc != 2)
        return 2;
    MainWindow window({QString::fromLocal8Bit(argv[1]) + "/", "https://127.0.0.1:1"});
    FirstFrame firstFrame;
    window.installEventFilter(&firstFrame);
    window.show();
    return QApplication::exec();
}
