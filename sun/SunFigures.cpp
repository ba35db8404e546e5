// SPDX-License-Identifier: MIT
#include "sun/SunFigures.h"

#include "data/ObservationStore.h"
#include "data/Stations.h"
#include "flux/BandFlux.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace {
constexpr double SpreadLimitDb = 1.0;

const ObservedFlux *fluxOf(const Observation &observation, int mhz)
{
    for (const ObservedFlux &flux : observation.fluxes)
        if (flux.mhz == mhz && flux.sfu)
            return &flux;
    return nullptr;
}

double sunTemperature(const StationAt &station, double sfu, int mhz)
{
    return SunTemperatureK(sfu, FromDb(station.gainDbi), mhz, station.beamFactor);
}

QString calibration(const QList<FluxAt> &used, bool spread)
{
    bool allGood = !used.isEmpty();
    for (const FluxAt &flux : used)
        for (const QString &flag : flux.flags) {
            if (flag == "burst" || flag == "interference")
                return "burst";
            allGood = allGood && flag == "good";
        }
    if (spread)
        return "spread";
    for (const FluxAt &flux : used)
        allGood = allGood && !flux.flags.isEmpty();
    return allGood ? "good" : "unknown";
}
} // namespace

std::optional<StationAt> StationAtFrequency(const StationSetup &setup, int mhz, QString &problem)
{
    StationAt station;
    station.gainDbi = setup.gainDbi
                          ? *setup.gainDbi
                          : ToDb(DishGain(setup.dishM.value_or(0), setup.efficiency, mhz));
    station.beamwidthDeg = setup.beamwidthDeg;
    if (!station.beamwidthDeg && setup.dishM)
        station.beamwidthDeg = DishBeamwidthDeg(*setup.dishM, mhz);
    if (station.beamwidthDeg)
        station.beamFactor = BeamFactor(*station.beamwidthDeg, setup.sunDiameterDeg);
    if (setup.tSysK) {
        station.tSysK = *setup.tSysK;
        return station;
    }
    station.tAntK = setup.tAntK;
    if (!station.tAntK && mhz < WarmSkyBelowMHz) {
        problem = QString("below %1 MHz the sky is far warmer than %2 K: give --tant-k for %3 MHz")
                      .arg(WarmSkyBelowMHz)
                      .arg(DefaultAntennaTemperatureK)
                      .arg(mhz);
        return std::nullopt;
    }
    station.tAntK = station.tAntK.value_or(DefaultAntennaTemperatureK);
    station.tSysK = SystemTemperatureK(setup.noiseFigureDb.value_or(0), *station.tAntK);
    return station;
}

FluxAt FluxAtFrequency(const Observation &observation, int mhz)
{
    FluxAt at;
    if (const ObservedFlux *flux = fluxOf(observation, mhz)) {
        at.sfu = flux->sfu;
        at.observed = true;
        at.flags << QualityFlag(flux->quality);
        return at;
    }
    std::array<double, StationFrequencyCount> anchors;
    anchors.fill(std::nan(""));
    for (std::size_t k = 0; k < anchors.size(); ++k)
        if (const ObservedFlux *flux = fluxOf(observation, StationFrequencies[k]))
            anchors[k] = *flux->sfu;
    const double estimate = EstimateFlux(mhz, anchors);
    if (!std::isfinite(estimate))
        return at;
    at.sfu = estimate;
    for (const int anchor : EstimateAnchors(mhz))
        at.flags << QualityFlag(fluxOf(observation, anchor)->quality);
    return at;
}

qsizetype NewestObservation(const QList<Observation> &observations, const QString &station)
{
    const QString wanted = CanonicalStationName(station);
    qsizetype newest = -1;
    for (qsizetype i = 0; i < observations.size(); ++i) {
        const Observation &observation = observations[i];
        if (!station.isEmpty() && observation.station.compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        if (newest < 0 || observation.timeUtc > observations[newest].timeUtc)
            newest = i;
    }
    return newest;
}

QList<FluxAt> CombinedFluxes(const QList<Observation> &observations, int mhz, double hours)
{
    const qsizetype newest = NewestObservation(observations);
    QList<FluxAt> used;
    if (newest < 0)
        return used;
    const QDateTime last = QDateTime::fromString(observations[newest].timeUtc, Qt::ISODate);
    for (const Observation &observation : observations) {
        const QDateTime time = QDateTime::fromString(observation.timeUtc, Qt::ISODate);
        if (!time.isValid() || std::abs(double(time.secsTo(last))) > hours * 3600)
            continue;
        const FluxAt flux = FluxAtFrequency(observation, mhz);
        const bool good = std::all_of(flux.flags.begin(), flux.flags.end(),
                                      [](const QString &f) { return f.isEmpty() || f == "good"; });
        if (flux.sfu && good)
            used << flux;
    }
    return used;
}

SunFigure PredictSunNoise(const StationAt &station, int mhz, const QList<FluxAt> &used,
                          bool combined)
{
    SunFigure figure;
    figure.mhz = mhz;
    figure.station = station;
    figure.observations = used.size();
    QList<double> fluxes;
    for (const FluxAt &flux : used)
        if (flux.sfu)
            fluxes << *flux.sfu;
    if (fluxes.isEmpty()) {
        figure.calibration = calibration(used, false);
        return figure;
    }
    const auto yOf = [&](double sfu) {
        return YFactorDb(sunTemperature(station, sfu, mhz), station.tSysK);
    };
    figure.sfu = combined ? Median(fluxes) : fluxes.first();
    figure.observed = !combined && used.first().observed;
    figure.tSunK = sunTemperature(station, *figure.sfu, mhz);
    figure.yDb = yOf(*figure.sfu);
    if (combined) {
        figure.sfuLow = *std::min_element(fluxes.begin(), fluxes.end());
        figure.sfuHigh = *std::max_element(fluxes.begin(), fluxes.end());
        figure.yDbLow = yOf(*figure.sfuLow);
        figure.yDbHigh = yOf(*figure.sfuHigh);
    }
    figure.calibration =
        calibration(used, combined && *figure.yDbHigh - *figure.yDbLow > SpreadLimitDb);
    return figure;
}

GOverT StationFromMeasuredY(double yDb, double sfu, int mhz, double beamFactor,
                            std::optional<double> gainDbi, std::optional<double> tSysK)
{
    GOverT result;
    result.gOverTDbK = GOverTDbK(yDb, sfu, mhz, beamFactor);
    if (tSysK)
        result.gainDbi = result.gOverTDbK + ToDb(*tSysK);
    if (gainDbi)
        result.tSysK = FromDb(*gainDbi - result.gOverTDbK);
    result.gainDbi = gainDbi ? gainDbi : result.gainDbi;
    result.tSysK = tSysK ? tSysK : result.tSysK;
    return result;
}
