#include "framepreview.h"

#include "configview.h"
#include "modulesession.h"
#include "transport.h"

using namespace Qt::StringLiterals;

namespace cli {

namespace {

// Keeps the datagrams instead of sending them.
class KeepingTransport final : public Transport {
public:
    QList<QByteArray> kept;

    bool open(const Endpoints &) override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    bool isConnecting() const override { return false; }
    QString localAddress() const override { return {}; }
    bool sendDatagram(const Peer &, QByteArrayView bytes) override {
        kept.append(bytes.toByteArray());
        return true;
    }
    bool sendDatagram(const QString &, quint16, QByteArrayView bytes) override {
        kept.append(bytes.toByteArray());
        return true;
    }
    bool send(QByteArrayView) override { return false; }
    bool sendTo(int, QByteArrayView) override { return false; }
    QList<Connection> connections() const override { return {}; }
};

// The session's refusals; the values come with each setting.
class RefusalView final : public SessionView {
public:
    QString refusal;

    ParameterValue parameterValue(Parameter) const override { return QString(); }
    void showParameter(Parameter, const ParameterValue &) override {}
    void appendMemoLine(const QString &) override {}
    void notify(Notice notice, const QString &text) override {
        if (notice == Notice::InputError)
            refusal = text;
    }
};

} // namespace

FramePreview previewFrames(const QByteArray &moduleMac, const QByteArray &localMac,
                           const Settings &settings, bool factoryDefault) {
    KeepingTransport transport;
    RefusalView view;
    NetworkAdapter signer;
    signer.mac = localMac;
    ModuleSession session(transport, view, moduleMac, signer);
    FramePreview preview;
    const auto keep = [&](const QString &step) {
        if (!view.refusal.isEmpty() || transport.kept.isEmpty()) {
            preview.refusedStep = step;
            preview.refusal = view.refusal.isEmpty() ? u"nothing to send"_s : view.refusal;
            return false;
        }
        preview.frames.append({step, transport.kept.takeLast()});
        return true;
    };
    if (factoryDefault) {
        session.restoreFactoryDefaults();
        if (!keep(u"default"_s))
            return preview;
    }
    for (const Setting &setting : settings) {
        session.set(setting.parameter, setting.value);
        if (!keep(keyOf(setting.parameter)))
            break;
    }
    session.stop();
    return preview;
}

} // namespace cli
