#include "bridgelab.h"

#include "topics.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

using namespace Qt::StringLiterals;

QString LabBroker::executable() {
    return QStandardPaths::findExecutable(u"mosquitto"_s, {u"/usr/sbin"_s, u"/usr/bin"_s});
}

bool LabBroker::start(const QByteArray &address, const QByteArray &extra) {
    m_address = address;
    m_extra = extra;
    return start();
}

bool LabBroker::start() {
    QFile conf(m_dir.filePath(u"mosquitto.conf"_s));
    if (!conf.open(QIODevice::WriteOnly))
        return false;
    // Queues long enough for a benchmark's bursts, and every message sent at
    // once.
    conf.write("listener " + QByteArray::number(Port) + ' ' + m_address +
               "\nallow_anonymous true\npersistence false\nmax_queued_messages 100000\n"
               "set_tcp_nodelay true\n" +
               m_extra);
    conf.close();
    m_process.start(executable(), {u"-c"_s, conf.fileName()});
    if (!m_process.waitForStarted())
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!TcpLine(TcpLine::connectTo(m_address, Port)).isOpen()) {
        if (clock.elapsed() > 10000 || m_process.state() != QProcess::Running)
            return false;
        QThread::msleep(50);
    }
    return true;
}

void LabBroker::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    m_process.waitForFinished();
}

QString LabBroker::startWithTls(quint16 port) {
    const auto openssl = [this](const QStringList &arguments) {
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(u"openssl"_s, arguments);
        return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    };
    QFile names(m_dir.filePath(u"server.ext"_s));
    if (!names.open(QIODevice::WriteOnly))
        return {};
    names.write("subjectAltName=IP:" + m_address + '\n');
    names.close();
    const QStringList key{u"-newkey"_s, u"ec"_s, u"-pkeyopt"_s, u"ec_paramgen_curve:prime256v1"_s,
                          u"-nodes"_s};
    if (!openssl(QStringList{u"req"_s, u"-x509"_s} + key +
                 QStringList{u"-keyout"_s, u"ca.key"_s, u"-out"_s, u"ca.crt"_s, u"-days"_s, u"2"_s,
                             u"-subj"_s, u"/CN=Ostrel lab CA"_s}) ||
        !openssl(QStringList{u"req"_s} + key +
                 QStringList{u"-keyout"_s, u"server.key"_s, u"-out"_s, u"server.csr"_s, u"-subj"_s,
                             u"/CN="_s + QString::fromLatin1(m_address)}) ||
        !openssl({u"x509"_s, u"-req"_s, u"-in"_s, u"server.csr"_s, u"-CA"_s, u"ca.crt"_s,
                  u"-CAkey"_s, u"ca.key"_s, u"-CAcreateserial"_s, u"-out"_s, u"server.crt"_s,
                  u"-days"_s, u"2"_s, u"-extfile"_s, u"server.ext"_s}))
        return {};
    // mosquitto reads them after it has become its own user; the key is a
    // throw-away one.
    const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    if (!QFile::setPermissions(m_dir.path(), readable | QFile::WriteOwner | QFile::ExeOwner |
                                                 QFile::ExeGroup | QFile::ExeOther) ||
        !QFile::setPermissions(m_dir.filePath(u"server.key"_s), readable))
        return {};
    stop();
    const QByteArray dir = QFile::encodeName(m_dir.path()) + '/';
    if (!start(m_address, "listener " + QByteArray::number(port) + ' ' + m_address + "\ncafile " +
                              dir + "ca.crt\ncertfile " + dir + "server.crt\nkeyfile " + dir +
                              "server.key\n"))
        return {};
    return m_dir.filePath(u"ca.crt"_s);
}

QString BridgeLab::bridgeExecutable() {
    return QStringLiteral(OSTREL_BRIDGE_EXE);
}

QString BridgeLab::unavailableReason() {
    if (LabBroker::executable().isEmpty())
        return u"mosquitto is not installed"_s;
    return LabFixture::unavailableReason();
}

bool BridgeLab::setUp(QString *error) {
    if (!m_lab.setUp(error))
        return false;
    if (!m_broker.start(m_lab.computerIp(), {})) {
        *error = u"mosquitto did not start"_s;
        return false;
    }
    return true;
}

QStringList BridgeLab::macs() const {
    QStringList list;
    for (const SimProcess::Module &m : m_lab.modules())
        list.append(bridge::macKey(QString::fromLatin1(m.mac)));
    return list;
}

QStringList BridgeLab::bridgeArguments(int pollMs, const QString &events, int count,
                                       const QString &at) const {
    QStringList arguments{u"--broker"_s,           host(),        u"--poll"_s,
                          QString::number(pollMs), u"--events"_s, events};
    const QList<SimProcess::Module> &modules = m_lab.modules();
    for (qsizetype i = 0; i < modules.size() && (count < 0 || i < count); ++i)
        arguments << u"--module"_s
                  << u"%1@%2%3"_s.arg(QString::fromLatin1(modules[i].mac),
                                      QString::fromLatin1(modules[i].ip), at);
    return arguments;
}
