// SPDX-License-Identifier: MIT
#include "data/Stations.h"

#include <array>

namespace {
struct Spelling
{
    const char *spelling;
    const char *canonical;
};

// Palehua and Kaena Point are kept apart: no data shows them to be one station.
constexpr std::array<Spelling, 7> Spellings = {{
    {"Learmonth", "Learmonth"},
    {"San Vito", "San Vito"},
    {"Sag Hill", "Sagamore Hill"},
    {"Sagamore Hill", "Sagamore Hill"},
    {"Penticton", "Penticton"},
    {"Pentiction", "Penticton"},
    {"Palehua", "Palehua"},
}};
} // namespace

QString CanonicalStationName(const QString &name)
{
    // One text per name, shared by every observation that names the station.
    static const std::array<QString, Spellings.size()> canonical = [] {
        std::array<QString, Spellings.size()> names;
        for (std::size_t i = 0; i < Spellings.size(); ++i)
            names[i] = QString::fromLatin1(Spellings[i].canonical);
        return names;
    }();
    const QString trimmed = name.trimmed();
    // The service spells its stations the one way: that is looked for first.
    for (std::size_t i = 0; i < Spellings.size(); ++i)
        if (trimmed == QLatin1String(Spellings[i].spelling))
            return canonical[i];
    for (std::size_t i = 0; i < Spellings.size(); ++i)
        if (trimmed.compare(QLatin1String(Spellings[i].spelling), Qt::CaseInsensitive) == 0)
            return canonical[i];
    return trimmed;
}
