// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// Where to publish: mqtt://HOST[:PORT]/TOPIC, or mqtts:// for TLS.
struct MqttTarget
{
    bool tls = false;
    QString host;
    int port = 0;
    QString topic;
};

// The target of a URL; nothing, with the reason in `problem`, when it is not one.
std::optional<MqttTarget> ParseMqttUrl(const QString &url, QString &problem);

struct MqttCredentials
{
    QString user, password;
};

// The user on the first line of the file and the password on the second. A file
// that others could read (group or other permission bits), that is not a regular
// file or that cannot be read is refused, with the reason in `problem`.
std::optional<MqttCredentials> ReadMqttCredentials(const QString &path, QString &problem);

// Publishes each (topic, payload) retained with QoS 1 and waits for the broker to
// acknowledge them all, within `timeoutMs` from the start: false, with the reason
// in `error`, when it could not. With TLS the broker's certificate must be valid
// for the host, signed by `caFile` or, when that is empty, by the system's store.
bool PublishRetained(const MqttTarget &target, const std::optional<MqttCredentials> &credentials,
                     const QString &caFile, const QList<QPair<QString, QByteArray>> &messages,
                     int timeoutMs, QString &error);
