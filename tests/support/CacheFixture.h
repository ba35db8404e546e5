// SPDX-License-Identifier: MIT
#pragma once

#include "app/MainWindow.h"
#include "support/Support.h"
#include "support/TestHttpsServer.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <sys/fsuid.h>
#include <unistd.h>

// Answers that both the window and the report meet.
const TestResponse Held = {200, New, TestResponse::Whole, true},
                   Elsewhere = {302, "", TestResponse::Whole, false, "https://127.0.0.1:1/x\x1b"},
                   Maintenance = {200, "<html>maintenance</html>"};

// A cache directory of the test's own, with the text product in it, and a folder
// outside it for what planted links point to.
class CacheFixture
{
protected:
    QTemporaryDir dir, outside;
    QString cached(int product) const
    {
        return dir.filePath(QString(Paths[product]).section('/', 2));
    }
    ServiceLocations at(const TestHttpsServer &server) const
    {
        return {dir.path() + "/", server.endpoint()};
    }

    // The cache refuses new files but can be read, also by root: this thread's
    // file user is then nobody.
    void refuseWrites(bool refuse)
    {
        const auto access =
            refuse ? QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther
                   : QFile::WriteOwner;
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | access);
        const uid_t user = refuse && !geteuid() ? 65534 : geteuid();
        setfsuid(user);
        QCOMPARE(uid_t(setfsuid(uid_t(-1))), user); // a failed call returns the file user
    }

    void resetCache()
    {
        QDir(cached(0)).removeRecursively(); // what a row planted there
        QFile::remove(cached(0));
        QFile::remove(cached(1));
        QVERIFY(WriteFile(cached(0), IndicesProduct()));
    }
};

// The 28 display texts, after choosing `item` when one is given.
inline QString shown(MainWindow &window, int item = -2)
{
    if (item > -2)
        window.findChild<QComboBox *>("SfuSelections")->setCurrentIndex(item);
    QStringList texts;
    for (int frequency : FluxDisplayFrequencies())
        texts << window.findChild<QPushButton *>(FluxDisplayName(frequency))->text();
    return texts.join(' ');
}

inline QString item(MainWindow &window, int index)
{
    return window.findChild<QComboBox *>("SfuSelections")->itemText(index);
}

// A press of Update with the product chosen; true when the press alone started a transfer.
inline bool press(MainWindow &window, int product)
{
    window.findChild<QComboBox *>("DataSourceUrl")->setCurrentIndex(product);
    auto *button = window.findChild<QPushButton *>("UpdateButton");
    const int before = window.fileDownload()->transfersInFlight();
    QTest::mousePress(button, Qt::LeftButton);
    const bool started = window.fileDownload()->transfersInFlight() == before + 1;
    QTest::mouseRelease(button, Qt::LeftButton);
    return started;
}

inline bool settle(MainWindow &window)
{
    const bool idle =
        QTest::qWaitFor([&] { return !window.fileDownload()->transfersInFlight(); }, 15000);
    QTest::qWait(20);
    return idle;
}
