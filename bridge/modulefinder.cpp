#include "modulefinder.h"

#include "atframe.h"
#include "gbk.h"

using namespace Qt::StringLiterals;

namespace bridge {

namespace {

const ParameterValue *valueOf(const ModuleSettings &values, Parameter parameter) {
    for (const ModuleSetting &setting : values) {
        if (setting.parameter == parameter)
            return &setting.value;
    }
    return nullptr;
}

QString textOf(const ModuleSettings &values, Parameter parameter) {
    const ParameterValue *value = valueOf(values, parameter);
    const QString *text = value ? std::get_if<QString>(value) : nullptr;
    return text ? *text : QString();
}

} // namespace

std::optional<ModuleEntry> entryOf(const QByteArray &mac, const ModuleSettings &values) {
    const ParameterValue *mode = valueOf(values, Parameter::Model);
    const int *item = mode ? std::get_if<int>(mode) : nullptr;
    ModuleEntry entry;
    entry.mac = macKey(gbk::decode(mac));
    entry.name = textOf(values, Parameter::DeviceName);
    entry.firmware = textOf(values, Parameter::Version);
    entry.endpoint.host = textOf(values, Parameter::IP);
    bool ok = false;
    // In TCP client mode the module connects to its destination port, where
    // the bridge listens; otherwise the bridge goes to the module's own port.
    const bool client = item && *item == 1;
    const uint port =
        textOf(values, client ? Parameter::DestinationPort : Parameter::Port).toUInt(&ok);
    if (!item || *item < 0 || *item > 3 || entry.mac.isEmpty() || entry.endpoint.host.isEmpty() ||
        !ok || port < 1 || port > 65535)
        return std::nullopt;
    entry.endpoint.port = quint16(port);
    entry.endpoint.udp = *item >= 2;
    entry.connectsToUs = client;
    entry.found = true;
    return entry;
}

ModuleFinder::ModuleFinder(std::unique_ptr<Transport> network, const AdapterSource &adapters,
                           QObject *parent)
    : QObject(parent)
    , m_network(std::move(network))
    , m_batch(*m_network, adapters) {}

void ModuleFinder::find(
    const QString &adapter,
    std::function<void(const QList<ModuleEntry> &found, const QString &failure)> done) {
    m_batch.search(adapter, SearchWaitMs,
                   [this, done = std::move(done)](const ModuleBatch::SearchResult &result) {
                       using F = ModuleBatch::SearchResult::Failure;
                       if (result.failure == F::NoAdapter) {
                           done({}, u"no adapter to search through"_s);
                           return;
                       }
                       if (result.failure == F::NotOpen) {
                           done({},
                                u"UDP port %1 could not be opened: %2"_s.arg(atframe::ConfigPort)
                                    .arg(result.systemText));
                           return;
                       }
                       QList<ModuleBatch::Job> jobs;
                       for (const FoundModule &module : result.modules) {
                           ModuleBatch::Job job;
                           job.module = module;
                           job.readAll = true;
                           jobs.append(job);
                       }
                       m_batch.run(jobs, [jobs, done](const QList<ModuleBatch::Outcome> &ends) {
                           QList<ModuleEntry> found;
                           for (qsizetype i = 0; i < ends.size() && i < jobs.size(); ++i) {
                               if (const std::optional<ModuleEntry> entry =
                                       entryOf(jobs[i].module.mac, ends[i].values))
                                   found.append(*entry);
                           }
                           done(found, {});
                       });
                   });
}

} // namespace bridge
