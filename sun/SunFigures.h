// SPDX-License-Identifier: MIT
#pragma once

#include "data/Observations.h"
#include "sun/SunNoise.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// A station as the options describe it: gain or dish, system temperature or noise
// figure, and the beam when it is known.
struct StationSetup
{
    std::optional<double> gainDbi, dishM, beamwidthDeg, tSysK, noiseFigureDb, tAntK;
    double efficiency = DefaultEfficiency;
    double sunDiameterDeg = SunDiameterDeg;
};

// The station at one frequency.
struct StationAt
{
    double gainDbi = 0;
    std::optional<double> beamwidthDeg; // unknown: no beam correction
    double beamFactor = 1;
    std::optional<double> tAntK; // unused when the system temperature is given
    double tSysK = 0;
};

// The station at `mhz`; nothing, with the reason in `problem`, when it needs an
// antenna temperature that was not given (below 1000 MHz the sky is warmer than the
// default).
std::optional<StationAt> StationAtFrequency(const StationSetup &setup, int mhz, QString &problem);

// One observation's flux at a frequency: observed there, or the window's log-log
// estimate from the two station frequencies around it, with the quality flags of
// the figures it comes from.
struct FluxAt
{
    std::optional<double> sfu;
    bool observed = false;
    QStringList flags; // by their words ("good", "burst", ...), empty where none
};
FluxAt FluxAtFrequency(const Observation &observation, int mhz);

// The index of the newest observation (of one station, any spelling or case,
// when it is named), or -1.
qsizetype NewestObservation(const QList<Observation> &observations, const QString &station = {});

// The fluxes at `mhz` of every observation within `hours` of the newest one whose
// figures are all flagged good; figures without flags (the text product) count.
QList<FluxAt> CombinedFluxes(const QList<Observation> &observations, int mhz, double hours);

// The predicted Sun noise at one frequency from the fluxes used: one, or with
// `combined` the median of several, with the lowest and highest.
struct SunFigure
{
    int mhz = 0;
    StationAt station;
    std::optional<double> sfu, tSunK, yDb;
    bool observed = false;
    std::optional<double> sfuLow, sfuHigh, yDbLow, yDbHigh;
    qsizetype observations = 0;
    QString calibration; // "burst", "spread", "good" or "unknown"
};
SunFigure PredictSunNoise(const StationAt &station, int mhz, const QList<FluxAt> &used,
                          bool combined);

// The station's G/T from a measured Y, and with the system temperature the gain,
// or with the gain the system temperature.
struct GOverT
{
    double gOverTDbK = 0;
    std::optional<double> gainDbi, tSysK;
};
GOverT StationFromMeasuredY(double yDb, double sfu, int mhz, double beamFactor,
                            std::optional<double> gainDbi, std::optional<double> tSysK);
