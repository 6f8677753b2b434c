#pragma once

#include "bridgeconfig.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QSocketNotifier;
struct mosquitto;
struct mosquitto_message;

namespace bridge {

// An MQTT client on libmosquitto, driven by the thread's event loop: the
// library's socket is watched by socket notifiers, its keep-alive by a
// timer. It connects again by itself, waiting longer after each failure.
class MqttClient : public QObject {
    Q_OBJECT

public:
    struct Will {
        QString topic;
        QByteArray payload;
    };

    MqttClient(BrokerSettings settings, Will will, QObject *parent = nullptr);
    ~MqttClient() override;

    // Starts connecting; false with error when the settings cannot work at
    // all (a file that cannot be read, a library failure).
    bool start(QString *error);
    bool isConnected() const { return m_connected; }
    bool publish(const QString &topic, const QByteArray &payload, bool retain);
    void subscribe(const QString &filter);
    // Publishes the last words, says goodbye to the broker and waits (up to
    // a second) until they are out.
    void finish(const QString &topic, const QByteArray &payload);

    // Back-off between attempts, doubling from the first to the last.
    static constexpr int FirstRetryMs = 500;
    static constexpr int LastRetryMs = 30000;

Q_SIGNALS:
    void connected();
    // The connection was lost, or the broker refused it.
    void disconnected(const QString &why);
    void message(const QString &topic, const QByteArray &payload, bool retained);

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message);

    void connectNow();
    void watchSocket();
    void unwatchSocket();
    void readable();
    void writable();
    void housekeeping();
    void updateWriteWatch();
    // rc: the library's result of the last call on the connection.
    void check(int rc);
    void lose(const QString &why);

    BrokerSettings m_settings;
    Will m_will;
    mosquitto *m_mosq = nullptr;
    QSocketNotifier *m_readWatch = nullptr;
    QSocketNotifier *m_writeWatch = nullptr;
    QTimer m_misc;
    QTimer m_retry;
    int m_retryMs = FirstRetryMs;
    // Why the broker refused the last attempt, until it is reported.
    QString m_refusal;
    bool m_connected = false;
    bool m_started = false;
    bool m_finishing = false;
};

} // namespace bridge
