// SPDX-License-Identifier: MIT
#pragma once

#include "data/Observations.h"
#include "data/Products.h"
#include "report/Report.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QTextStream>

// Every option of corvaline-report; each mode accepts its own and refuses the rest.
struct ReportOptions
{
    // The report of a product (the default mode).
    QCommandLineOption json{"json", "Read the cached JSON product instead of the text one."};
    QCommandLineOption file{"file", "Read the product file PATH, text or JSON.", "PATH"};
    QCommandLineOption fetch{"fetch", "Download the product into the cache first."};
    QCommandLineOption observation{"observation", "Report observation N only; 0 is the first.",
                                   "N"};
    QCommandLineOption archive{"archive", "Store every observation of the product in the "
                                          "archive, then report."};
    QCommandLineOption alertAbove{"alert-above",
                                  "Exit with status 3 when the chosen "
                                  "observation's flux at --mhz exceeds SFU.",
                                  "SFU"};
    QCommandLineOption alertRise{"alert-rise",
                                 "Exit with status 3 when it exceeds the median of "
                                 "the 30 days before it in the archive by PERCENT.",
                                 "PERCENT"};
    // Publishing.
    QCommandLineOption publish{"publish",
                               "Publish the chosen observation's figures (--mhz, or "
                               "all 28), retained: mqtt://HOST[:PORT]/TOPIC or "
                               "mqtts://...",
                               "URL"};
    QCommandLineOption mqttCa{"mqtt-ca",
                              "The certificate authority that signs the broker's "
                              "certificate (mqtts).",
                              "FILE"};
    QCommandLineOption mqttCredentials{"mqtt-credentials",
                                       "User on the first line, password on "
                                       "the second; readable by you alone.",
                                       "FILE"};
    QCommandLineOption homeAssistant{"home-assistant", "Publish Home Assistant's MQTT discovery "
                                                       "configuration too."};
    // The archive.
    QCommandLineOption import{"import", "Store the product files and Penticton flux tables "
                                        "FILE... in the archive."};
    QCommandLineOption history{"history", "Print the archived series."};
    QCommandLineOption database{"database",
                                "The archive file (default: " +
                                    QString("$XDG_DATA_HOME/corvaline/"
                                            "archive.sqlite") +
                                    ").",
                                "PATH"};
    QCommandLineOption quiet{"quiet", "Print nothing on success (--archive, --import)."};
    QCommandLineOption from{"from",
                            "First day (YYYY-MM-DD) or time (ISO 8601, UTC) of the "
                            "series; default: 30 days ago.",
                            "DATE"};
    QCommandLineOption to{"to", "Last day or time of the series, included; default: now.", "DATE"};
    QCommandLineOption station{"station", "One station only (any spelling, any case).", "NAME"};
    QCommandLineOption mhz{"mhz",
                           "Frequencies in MHz, comma-separated, 30 to 30000; default: "
                           "the 20 targets of the window.",
                           "LIST"};
    QCommandLineOption series{"series",
                              "observed (the default), adjusted or ursi: the series "
                              "of the Penticton flux table.",
                              "SERIES", "observed"};
    QCommandLineOption daily{"daily", "One median per station, UTC day and frequency, with "
                                      "the count."};
    // Sun noise and G/T.
    QCommandLineOption sunNoise{"sun-noise", "Predict the Sun noise (Y) of a station at --mhz."};
    QCommandLineOption measuredY{"measured-y-db",
                                 "The station's G/T from the Sun noise Y it "
                                 "measured at one --mhz.",
                                 "Y"};
    QCommandLineOption gainDbi{"gain-dbi", "Antenna gain.", "G"};
    QCommandLineOption dishM{"dish-m", "Dish diameter: gives the gain and the beamwidth.", "D"};
    QCommandLineOption efficiency{"efficiency", "Dish efficiency (default 0.55).", "E"};
    QCommandLineOption tsysK{"tsys-k", "System noise temperature.", "T"};
    QCommandLineOption nfDb{"nf-db", "Receiver noise figure; T_sys = T_ant + 290 (10^(NF/10) - 1).",
                            "NF"};
    QCommandLineOption tantK{"tant-k",
                             "Antenna temperature (default 20 K from 1000 MHz up; "
                             "required below).",
                             "T"};
    QCommandLineOption beamwidthDeg{"beamwidth-deg",
                                    "Half-power beamwidth: corrects for the "
                                    "part of the Sun a narrow beam misses.",
                                    "DEG"};
    QCommandLineOption sunDiameterDeg{"sun-diameter-deg",
                                      "The Sun's radio diameter (default "
                                      "0.53).",
                                      "DEG"};
    QCommandLineOption combine{"combine",
                               "Every good observation of every station within "
                               "HOURS of the newest: median, lowest, highest.",
                               "HOURS"};
    // Every mode.
    QCommandLineOption format{"format", "table (the default), csv or json.", "FORMAT", "table"};
    QCommandLineOption verbose{"verbose", "Write the readers' and downloader's log to standard "
                                          "error."};
};

// What a mode works with: the parsed options, where the service and the cache
// are, and the two streams.
struct ModeContext
{
    const QCommandLineParser &parser;
    const ReportOptions &options;
    const ServiceLocations &locations;
    QTextStream &out;
    QTextStream &err;
    int fetchDeadlineMs;
    ReportFormat format;
};

// A product read as the report reads it: its bytes, format, and the store it filled.
struct LoadedProduct
{
    QString path;
    QByteArray bytes;
    ProductFormat format = ProductFormat::Text;
    ProductRead read;
};

// Fetches the product with --fetch, then reads the one that --file or --json names
// into the store; false, after one line on `err`, when there is none or it holds no
// observations.
bool LoadProduct(const ModeContext &context, LoadedProduct &loaded);

// Whether the store holds observation `wanted`; one line on `err` when it does not.
bool HasObservation(const ModeContext &context, const LoadedProduct &loaded, int wanted);

// The chosen observation of the product's sequence: that of --station (its newest),
// of --observation N (a record of the store), or else the newest; -1 for none.
qsizetype ChosenObservation(const ModeContext &context, const LoadedProduct &loaded,
                            const QList<Observation> &observations);

// --publish: the chosen observation's figures to an MQTT broker, retained, and with
// --home-assistant the discovery configuration of a sensor per figure; false after
// one line on `err` when the broker could not be reached or refused them.
bool PublishObservation(const ModeContext &context, const LoadedProduct &loaded);

// With --alert-above or --alert-rise: 3, after one line on `err`, when the flux
// of the chosen observation (--observation N, or the newest) at --mhz crosses a
// limit; 0 when it does not; 1, after one line, when it cannot be judged.
int CheckAlerts(const ModeContext &context, const LoadedProduct &loaded);

// The report of one product, archiving it first with --archive.
int RunProductReport(const ModeContext &context);

// --import FILE...: stores product files and flux tables in the archive.
int RunImport(const ModeContext &context);

// --history: the archived series, or with --daily their daily medians.
int RunHistory(const ModeContext &context);

// --sun-noise: the Sun noise a station may expect at each frequency.
int RunSunNoise(const ModeContext &context);

// --measured-y-db: the station's G/T from the Sun noise it measured.
int RunMeasuredY(const ModeContext &context);

// Stores every observation of a product already read in the archive that the
// options name; false with a message on `err` when it cannot.
bool ArchiveProduct(const ModeContext &context, const LoadedProduct &loaded);
