// SPDX-License-Identifier: MIT
#pragma once

#include "data/ObservationStore.h"
#include "data/Observations.h"

#include <QByteArray>
#include <QString>
#include <array>

class QIODevice;

// On from program start; while on, the reader logs every entry and detail and
// lists the store after a successful read.
extern int VerboseLogging;

extern const std::array<const char *, 12> MonthAbbreviations;

// The slot a JSON "frequency" fills, or -1 (2800 MHz has no slot here).
int SlotForJsonFrequency(int frequency);

// "2024-10-14T04:00:00" gives "2024 Oct 14 0400 UTC"; a tag too short or with a
// month outside 01-12 gives the tag itself, cut to 20 characters.
QByteArray DisplayTimeFromTag(const char *timeTag);

// Reads a document already in memory: 0 when it held at least one entry. The
// store keeps the first ObservationCapacity entries of its observations; `read`,
// when given, receives all of them when the document is an array.
int ReadJsonFluxDocument(const QByteArray &json, int &observationCount, ObservationSink &sink,
                         QList<Observation> *read = nullptr);

// Reads the document as text (UTF-8, bytes that are not become U+FFFD).
int ReadJsonFluxDevice(QIODevice &in, int &observationCount, ObservationSink &sink,
                       QList<Observation> *read = nullptr);

// The product as UTF-8 text: bytes that are not UTF-8 become U+FFFD.
QByteArray JsonProductText(const QByteArray &bytes);

// Whether the product is a JSON array, as the reader needs it to be.
bool IsJsonArrayProduct(const QByteArray &bytes);

// 0 when the file was read and held at least one entry, -1 otherwise.
int ReadJsonFluxFile(const QString &path, int &observationCount, ObservationSink &sink);
