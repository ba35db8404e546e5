// SPDX-License-Identifier: MIT
#pragma once

#include "support/Support.h"

#include <QByteArrayList>

const QByteArray Seed = IndicesProduct(), T = "2024-10-14T04:00:00";
inline QByteArray changed(const QByteArray &from, const QByteArray &to)
{
    return QByteArray(Seed).replace(from, to);
}

// An array of one entry; details as "frequency:flux:quality ..." or as raw JSON.
inline QByteArray entry(const QByteArray &name, const QByteArray &tag,
                        const QByteArray &details = "")
{
    QByteArrayList objects;
    for (const QByteArray &detail :
         details.startsWith('{') ? QByteArrayList() : details.split(' ')) {
        const QByteArrayList f = detail.split(':');
        if (f.size() > 1)
            objects << "{\"frequency\":" + f[0] + ",\"flux\":" + f[1] + ",\"observed_quality\":\"" +
                           f.value(2) + "\"}";
    }
    return "[{\"common_name\":\"" + name + "\",\"time_tag\":\"" + tag + "\",\"details\":[" +
           (objects.isEmpty() ? details : objects.join(',')) + "]}]";
}

const QByteArray Paths[] = {"/text/current-space-weather-indices.txt",
                            "/json/solar-radio-flux.json"};
// Learmonth at 30 and San Vito at 31 sfu at 245 MHz, no other stations; and
// the JSON seed: Palehua with all nine frequencies, Penticton with 245 MHz.
const QByteArray Products[] = {IndicesProduct("2024 Oct 15 0530 UTC")
                                   .replace("14     15     -1     17     18     19     20",
                                            "30     31     -1     -1     -1     -1     -1"),
                               SeedProduct("json_reader/product.json")};
const QByteArray New = Products[0];
const QByteArray Hundred = "[" + QByteArray("{\"common_name\":\"S\"},").repeated(90) +
                           QByteArray("{\"common_name\":\"X\"},").repeated(9) + "[]]";
