// SPDX-License-Identifier: MIT
#pragma once

// The physics of measuring a station against the Sun: what rise in noise (Y)
// the Sun's flux gives a station, and the station's G/T from a measured Y. SI
// units but for frequency (MHz), flux (sfu, 10^-22 W m^-2 Hz^-1), gains and Y
// (dB where named so), temperatures (K) and angles (degrees).

constexpr double SpeedOfLight = 299792458.0; // m/s
constexpr double Boltzmann = 1.380649e-23;   // J/K
constexpr double SunDiameterDeg = 0.53;
constexpr double DefaultEfficiency = 0.55;
constexpr double DefaultAntennaTemperatureK = 20.0; // from 1000 MHz up
constexpr double WarmSkyBelowMHz = 1000.0;

double WavelengthM(double mhz);

// G = E (pi D / lambda)^2, linear.
double DishGain(double diameterM, double efficiency, double mhz);

// The half-power beamwidth of a dish: 70 lambda / D.
double DishBeamwidthDeg(double diameterM, double mhz);

// T_sys = T_ant + 290 (10^(NF/10) - 1).
double SystemTemperatureK(double noiseFigureDb, double antennaTemperatureK);

// K = 1 + 0.38 (theta_sun / theta)^2: how much of the disc a narrow beam misses.
double BeamFactor(double beamwidthDeg, double sunDiameterDeg);

// T_sun = (S / K) 10^-22 G lambda^2 / (8 pi k), one polarisation.
double SunTemperatureK(double sfu, double gainLinear, double mhz, double beamFactor);

// Y = 1 + T_sun / T_sys, in dB.
double YFactorDb(double sunTemperatureK, double systemTemperatureK);

// G/T = 8 pi k (Y - 1) K / (S 10^-22 lambda^2), Y linear, in dB/K.
double GOverTDbK(double yDb, double sfu, double mhz, double beamFactor);

double ToDb(double linear);
double FromDb(double db);
