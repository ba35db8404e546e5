// Start-up to the first frame, for /usr/bin/time: "program DIRECTORY" builds the
// real window reading the product cached in DIRECTORY; "baseline" builds a window
// with the same widgets that writes the same TLS lines and reads nothing.
#include "app/MainWindow.h"
#include "ui/MainWindowUi.h"

#include <QApplication>
#include <QTimer>
#include <cstring>
#include <memory>

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
    std::unique_ptr<QMainWindow> window;
    MainWindowUi ui;
    FileDownload *download = nullptr;
    if (argc == 3 && std::strcmp(argv[1], "program") == 0) {
        window.reset(
            new MainWindow({QString::fromLocal8Bit(argv[2]) + "/", "https://127.0.0.1:1"}));
    } else if (argc == 2 && std::strcmp(argv[1], "baseline") == 0) {
        window.reset(new QMainWindow);
        download = new FileDownload;
        ui.setupUi(window.get());
    } else {
        return 2;
    }
    FirstFrame firstFrame;
    window->installEventFilter(&firstFrame);
    window->show();
    const int result = QApplication::exec();
    delete download;
    return result;
}
