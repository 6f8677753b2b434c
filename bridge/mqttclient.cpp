#include "mqttclient.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QThread>

#include <mosquitto.h>

using namespace Qt::StringLiterals;

namespace bridge {

namespace {

QString errorText(int rc) {
    return QString::fromUtf8(mosquitto_strerror(rc));
}

} // namespace

MqttClient::MqttClient(BrokerSettings settings, Will will, QObject *parent)
    : QObject(parent)
    , m_settings(std::move(settings))
    , m_will(std::move(will)) {
    mosquitto_lib_init();
    m_misc.setInterval(1000);
    connect(&m_misc, &QTimer::timeout, this, &MqttClient::housekeeping);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MqttClient::connectNow);
}

MqttClient::~MqttClient() {
    unwatchSocket();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
    mosquitto_lib_cleanup();
}

bool MqttClient::start(QString *error) {
    const QByteArray id = m_settings.clientId.toUtf8();
    m_mosq = mosquitto_new(id.constData(), true, this);
    if (!m_mosq) {
        *error = u"the MQTT library could not make a client"_s;
        return false;
    }
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION,
                         m_settings.protocol == 5 ? MQTT_PROTOCOL_V5 : MQTT_PROTOCOL_V311);
    // A state goes out the moment it is known, not when the broker's
    // acknowledgement of the previous message has come back.
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(m_mosq, &MqttClient::onConnect);
    mosquitto_message_callback_set(m_mosq, &MqttClient::onMessage);
    const QByteArray willTopic = m_will.topic.toUtf8();
    int rc = mosquitto_will_set(m_mosq, willTopic.constData(), int(m_will.payload.size()),
                                m_will.payload.constData(), 1, true);
    if (rc == MOSQ_ERR_SUCCESS && !m_settings.credentialsFile.isEmpty()) {
        QString user, password;
        if (!readCredentials(m_settings.credentialsFile, &user, &password, error))
            return false;
        rc =
            mosquitto_username_pw_set(m_mosq, user.toUtf8().constData(),
                                      password.isEmpty() ? nullptr : password.toUtf8().constData());
    }
    if (rc == MOSQ_ERR_SUCCESS && !m_settings.caFile.isEmpty()) {
        const QByteArray ca = m_settings.caFile.toLocal8Bit();
        const QByteArray cert = m_settings.certFile.toLocal8Bit();
        const QByteArray key = m_settings.keyFile.toLocal8Bit();
        rc = mosquitto_tls_set(m_mosq, ca.constData(), nullptr,
                               cert.isEmpty() ? nullptr : cert.constData(),
                               key.isEmpty() ? nullptr : key.constData(), nullptr);
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        *error = u"MQTT: "_s + errorText(rc);
        return false;
    }
    connectNow();
    return true;
}

void MqttClient::connectNow() {
    // The name lookup of the broker blocks; a broker is named by address or
    // in the local hosts file nearly always.
    const QByteArray host = m_settings.host.toUtf8();
    const int rc = std::exchange(m_started, true)
                       ? mosquitto_reconnect_async(m_mosq)
                       : mosquitto_connect_async(m_mosq, host.constData(), m_settings.port,
                                                 m_settings.keepAlive);
    if (rc != MOSQ_ERR_SUCCESS) {
        lose(errorText(rc));
        return;
    }
    watchSocket();
}

void MqttClient::watchSocket() {
    unwatchSocket();
    const int fd = mosquitto_socket(m_mosq);
    if (fd < 0) {
        lose(u"no connection"_s);
        return;
    }
    m_readWatch = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_readWatch, &QSocketNotifier::activated, this, &MqttClient::readable);
    m_writeWatch = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(m_writeWatch, &QSocketNotifier::activated, this, &MqttClient::writable);
    updateWriteWatch();
    m_misc.start();
}

void MqttClient::unwatchSocket() {
    delete std::exchange(m_readWatch, nullptr);
    delete std::exchange(m_writeWatch, nullptr);
    m_misc.stop();
}

void MqttClient::readable() {
    check(mosquitto_loop_read(m_mosq, 1));
}

void MqttClient::writable() {
    check(mosquitto_loop_write(m_mosq, 1));
}

void MqttClient::housekeeping() {
    check(mosquitto_loop_misc(m_mosq));
}

void MqttClient::updateWriteWatch() {
    if (m_writeWatch)
        m_writeWatch->setEnabled(mosquitto_want_write(m_mosq));
}

void MqttClient::check(int rc) {
    if (rc == MOSQ_ERR_SUCCESS && mosquitto_socket(m_mosq) >= 0) {
        updateWriteWatch();
        return;
    }
    lose(rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(std::strerror(errno)) : errorText(rc));
}

void MqttClient::lose(const QString &why) {
    unwatchSocket();
    if (m_finishing)
        return;
    const QString refusal = std::exchange(m_refusal, {});
    if (std::exchange(m_connected, false) || !refusal.isEmpty())
        Q_EMIT disconnected(refusal.isEmpty() ? why : refusal);
    m_retry.start(m_retryMs);
    m_retryMs = std::min(m_retryMs * 2, LastRetryMs);
}

void MqttClient::onConnect(mosquitto *, void *self, int rc) {
    auto *client = static_cast<MqttClient *>(self);
    if (rc != 0) {
        // The broker said no (credentials, protocol); the library ends the
        // connection, and the next attempt comes after the back-off.
        client->m_refusal =
            QString::fromUtf8(client->m_settings.protocol == 5 ? mosquitto_reason_string(rc)
                                                               : mosquitto_connack_string(rc));
        return;
    }
    client->m_refusal.clear();
    client->m_connected = true;
    client->m_retryMs = FirstRetryMs;
    Q_EMIT client->connected();
}

void MqttClient::onMessage(mosquitto *, void *self, const mosquitto_message *message) {
    auto *client = static_cast<MqttClient *>(self);
    const QByteArray payload(static_cast<const char *>(message->payload),
                             message->payloadlen > 0 ? message->payloadlen : 0);
    Q_EMIT client->message(QString::fromUtf8(message->topic), payload, message->retain);
}

bool MqttClient::publish(const QString &topic, const QByteArray &payload, bool retain) {
    if (!m_connected)
        return false;
    const QByteArray name = topic.toUtf8();
    const int rc = mosquitto_publish(m_mosq, nullptr, name.constData(), int(payload.size()),
                                     payload.constData(), 1, retain);
    updateWriteWatch();
    return rc == MOSQ_ERR_SUCCESS;
}

void MqttClient::subscribe(const QString &filter) {
    if (!m_connected)
        return;
    mosquitto_subscribe(m_mosq, nullptr, filter.toUtf8().constData(), 1);
    updateWriteWatch();
}

void MqttClient::finish(const QString &topic, const QByteArray &payload) {
    m_finishing = true;
    m_retry.stop();
    if (!m_connected)
        return;
    publish(topic, payload, true);
    mosquitto_disconnect(m_mosq);
    // The socket is non-blocking: a few hundred bytes leave at once, or
    // within the second given here.
    const QDeadlineTimer deadline(1000);
    while (mosquitto_want_write(m_mosq) && !deadline.hasExpired() &&
           mosquitto_loop_write(m_mosq, 1) == MOSQ_ERR_SUCCESS)
        QThread::msleep(5);
    unwatchSocket();
    m_connected = false;
}

} // namespace bridge
