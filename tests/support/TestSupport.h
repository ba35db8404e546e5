#pragma once

#include "data/ObservationStore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Collects every debug message while it lives.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;

    QStringList lines() const;
    bool contains(const QString &line) const { return lines().contains(line); }
};

// Records what a reader announces, and the count at each announcement.
class RecordingSink : public ObservationSink
{
public:
    void appendObservationItem(int index, const char *itemText) override;

    QStringList itemTexts;
    QList<int> indexes;
    int *countToWatch = nullptr;
    QList<int> countsSeen;
};

// The record of the worked example: 14, 38, 52, 66, 95, 101, 142, 262, 568 sfu.
ObservationRecord WorkedExampleRecord();
ObservationRecord RecordWithFluxes(const QList<int> &fluxes);

// A text product in the service's layout. Each row holds the frequency and the
// seven station values; rows are joined as given.
QByteArray IndicesProduct(const QByteArray &issued, const QList<QByteArray> &rows);
QList<QByteArray> StandardFluxRows();

bool WriteFile(const QString &path, const QByteArray &content);
QByteArray ReadFile(const QString &path);
