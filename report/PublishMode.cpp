// SPDX-License-Identifier: MIT
// Publishing: the chosen observation's figures to an MQTT broker as one retained
// JSON message, and with --home-assistant a discovery configuration per figure,
// so that each becomes a sensor of the device "Corvaline".
#include "flux/BandFlux.h"
#include "flux/FluxDisplays.h"
#include "publish/Mqtt.h"
#include "report/ReportModes.h"
#include "sun/SunFigures.h"

#include <QRegularExpression>

namespace {
constexpr int PublishTimeoutMs = 10 * 1000;
const char DiscoveryPrefix[] = "homeassistant";

// The figures published: --mhz, or the window's 28.
QList<int> publishedFrequencies(const ModeContext &c)
{
    if (c.parser.isSet(c.options.mhz))
        return ParseFrequencyList(c.parser.value(c.options.mhz)).value_or(QList<int>());
    QList<int> mhz;
    for (const int frequency : FluxDisplayFrequencies())
        mhz << frequency;
    return mhz;
}

QString figure(const std::optional<double> &sfu)
{
    return sfu ? QString::number(std::round(*sfu * 10) / 10, 'g', 12) : QString("null");
}

QByteArray statePayload(const Observation &observation, const QList<int> &mhz)
{
    QStringList figures;
    for (const int frequency : mhz)
        figures << QString("\"%1\": %2")
                       .arg(frequency)
                       .arg(figure(FluxAtFrequency(observation, frequency).sfu));
    return ("{\"station\": " + JsonString(observation.station) + ", \"time_utc\": " +
            JsonString(observation.timeUtc) + ", \"figures\": {" + figures.join(", ") + "}}\n")
        .toUtf8();
}

// Stable across runs: made of the topic, never of the observation.
QString nodeId(const QString &topic)
{
    return "corvaline_" + QString(topic).replace(QRegularExpression("[^A-Za-z0-9_-]"), "_");
}

QPair<QString, QByteArray> discovery(const QString &topic, int mhz)
{
    const QString node = nodeId(topic);
    const QString unique = QString("%1_%2").arg(node).arg(mhz);
    const QString payload =
        QString("{\"name\": \"Solar flux %1 MHz\", \"unique_id\": \"%2\", \"state_topic\": %3, "
                "\"unit_of_measurement\": \"sfu\", \"state_class\": \"measurement\", "
                "\"value_template\": \"{{ value_json.figures['%1'] }}\", \"device\": "
                "{\"identifiers\": [\"%4\"], \"name\": \"Corvaline\"}}\n")
            .arg(mhz)
            .arg(unique, JsonString(topic), node);
    return {QString("%1/sensor/%2/flux_%3/config").arg(DiscoveryPrefix, node).arg(mhz),
            payload.toUtf8()};
}
} // namespace

bool PublishObservation(const ModeContext &c, const LoadedProduct &loaded)
{
    const ReportOptions &o = c.options;
    QString problem;
    const std::optional<MqttTarget> target = ParseMqttUrl(c.parser.value(o.publish), problem);
    std::optional<MqttCredentials> credentials;
    if (target && c.parser.isSet(o.mqttCredentials))
        credentials = ReadMqttCredentials(c.parser.value(o.mqttCredentials), problem);
    const QList<Observation> &observations = loaded.read.observations;
    const qsizetype chosen = ChosenObservation(c, loaded, observations);
    if (problem.isEmpty() && (chosen < 0 || observations[chosen].timeUtc.isEmpty()))
        problem = "the chosen observation has no date and cannot be published";
    if (!problem.isEmpty()) {
        c.err << "corvaline-report: " << problem << "\n";
        return false;
    }
    const QList<int> mhz = publishedFrequencies(c);
    QList<QPair<QString, QByteArray>> messages;
    if (c.parser.isSet(o.homeAssistant))
        for (const int frequency : mhz)
            messages << discovery(target->topic, frequency);
    messages << qMakePair(target->topic, statePayload(observations[chosen], mhz));
    QString error;
    if (PublishRetained(*target, credentials, c.parser.value(o.mqttCa), messages, PublishTimeoutMs,
                        error))
        return true;
    c.err << "corvaline-report: could not publish to " << target->host << ":" << target->port
          << ": " << error << "\n";
    return false;
}
