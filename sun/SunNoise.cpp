// SPDX-License-Identifier: MIT
#include "sun/SunNoise.h"

#include <cmath>

namespace {
constexpr double Pi = 3.14159265358979323846;
constexpr double SfuToSi = 1e-22;
constexpr double ReferenceTemperatureK = 290.0;
constexpr double DishBeamwidthFactor = 70.0;
constexpr double BeamFactorCoefficient = 0.38;
} // namespace

double WavelengthM(double mhz)
{
    return SpeedOfLight / (mhz * 1e6);
}

double DishGain(double diameterM, double efficiency, double mhz)
{
    const double aperture = Pi * diameterM / WavelengthM(mhz);
    return efficiency * aperture * aperture;
}

double DishBeamwidthDeg(double diameterM, double mhz)
{
    return DishBeamwidthFactor * WavelengthM(mhz) / diameterM;
}

double SystemTemperatureK(double noiseFigureDb, double antennaTemperatureK)
{
    return antennaTemperatureK + ReferenceTemperatureK * (FromDb(noiseFigureDb) - 1);
}

double BeamFactor(double beamwidthDeg, double sunDiameterDeg)
{
    const double ratio = sunDiameterDeg / beamwidthDeg;
    return 1 + BeamFactorCoefficient * ratio * ratio;
}

double SunTemperatureK(double sfu, double gainLinear, double mhz, double beamFactor)
{
    const double lambda = WavelengthM(mhz);
    return sfu / beamFactor * SfuToSi * gainLinear * lambda * lambda / (8 * Pi * Boltzmann);
}

double YFactorDb(double sunTemperatureK, double systemTemperatureK)
{
    return ToDb(1 + sunTemperatureK / systemTemperatureK);
}

double GOverTDbK(double yDb, double sfu, double mhz, double beamFactor)
{
    const double lambda = WavelengthM(mhz);
    return ToDb(8 * Pi * Boltzmann * (FromDb(yDb) - 1) * beamFactor /
                (sfu * SfuToSi * lambda * lambda));
}

double ToDb(double linear)
{
    return 10 * std::log10(linear);
}

double FromDb(double db)
{
    return std::pow(10, db / 10);
}
