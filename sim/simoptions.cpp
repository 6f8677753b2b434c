#include "simoptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <arpa/inet.h>
#include <array>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace simoptions {

namespace {

using KeyValues = QList<std::pair<QString, QString>>;

// What a configuration file or the command line says, before it is turned
// into module setups.
struct Plan {
    QMap<QString, QString> general;
    KeyValues defaults;
    QList<KeyValues> modules;
};

const QStringList &generalKeys() {
    static const QStringList keys{QStringLiteral("modules"),     QStringLiteral("first-ip"),
                                  QStringLiteral("config-port"), QStringLiteral("broadcast"),
                                  QStringLiteral("tick"),        QStringLiteral("gap"),
                                  QStringLiteral("quit-on-eof"), QStringLiteral("no-control")};
    return keys;
}

const QStringList &moduleKeys() {
    static const QStringList keys{
        QStringLiteral("ip"),      QStringLiteral("mac"),   QStringLiteral("mode"),
        QStringLiteral("gateway"), QStringLiteral("mask"),  QStringLiteral("dip"),
        QStringLiteral("port"),    QStringLiteral("dport"), QStringLiteral("uart"),
        QStringLiteral("dhcp"),    QStringLiteral("name"),  QStringLiteral("version"),
        QStringLiteral("fault"),   QStringLiteral("echo")};
    return keys;
}

QString jsonText(const QJsonValue &value) {
    if (value.isBool())
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 12);
    return value.toString();
}

KeyValues jsonPairs(const QJsonObject &object) {
    KeyValues pairs;
    for (auto it = object.begin(); it != object.end(); ++it)
        pairs.append({it.key(), jsonText(it.value())});
    return pairs;
}

bool readJson(const QString &path, Plan &plan, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QCoreApplication::translate("ostrel-sim", "cannot read %1").arg(path);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        *error = QStringLiteral("%1: %2").arg(path, parseError.errorString());
        return false;
    }
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() == QLatin1String("defaults"))
            plan.defaults.append(jsonPairs(it.value().toObject()));
        else if (it.key() == QLatin1String("modules") && it.value().isArray())
            for (const QJsonValue &module : it.value().toArray())
                plan.modules.append(jsonPairs(module.toObject()));
        else
            plan.general.insert(it.key(), jsonText(it.value()));
    }
    return true;
}

bool readIni(const QString &path, Plan &plan, QString *error) {
    if (!QFileInfo::exists(path)) {
        *error = QCoreApplication::translate("ostrel-sim", "cannot read %1").arg(path);
        return false;
    }
    QSettings ini(path, QSettings::IniFormat);
    const auto pairsOf = [&ini] {
        KeyValues pairs;
        const QStringList keys = ini.childKeys();
        for (const QString &key : keys)
            pairs.append({key, ini.value(key).toStringList().join(QLatin1Char(','))});
        return pairs;
    };
    // QSettings files keys of a [general] section at the top level.
    const KeyValues topLevel = pairsOf();
    for (const auto &[key, value] : topLevel)
        plan.general.insert(key, value);
    const QStringList groups = ini.childGroups();
    for (const QString &group : groups) {
        ini.beginGroup(group);
        if (group == QLatin1String("general")) {
            const KeyValues pairs = pairsOf();
            for (const auto &[key, value] : pairs)
                plan.general.insert(key, value);
        } else if (group == QLatin1String("defaults")) {
            plan.defaults.append(pairsOf());
        } else if (group.startsWith(QLatin1String("module"))) {
            plan.modules.append(pairsOf());
        } else {
            *error = QCoreApplication::translate("ostrel-sim", "%1: unknown section [%2]")
                         .arg(path, group);
            return false;
        }
        ini.endGroup();
    }
    if (ini.status() != QSettings::NoError) {
        *error = QCoreApplication::translate("ostrel-sim", "%1: not a readable INI file").arg(path);
        return false;
    }
    return true;
}

KeyValues splitKeyValues(const QString &text, QString *error) {
    KeyValues pairs;
    const QStringList items = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            *error = QCoreApplication::translate("ostrel-sim", "'%1' is not key=value").arg(item);
            return {};
        }
        pairs.append({item.left(equals).trimmed(), item.mid(equals + 1).trimmed()});
    }
    return pairs;
}

bool applyPair(SimModuleSetup &setup, const QString &key, const QString &value, QString *error) {
    if (key == QLatin1String("ip"))
        return true; // taken before the parameters are built
    if (key == QLatin1String("fault"))
        return setup.faults.apply(value.toLatin1(), error);
    if (key == QLatin1String("echo")) {
        setup.echo = value != QLatin1String("0") && value != QLatin1String("false");
        return true;
    }
    const QByteArray name = simparams::atName(key.toLatin1());
    if (name.isEmpty()) {
        *error = QCoreApplication::translate("ostrel-sim", "unknown module key '%1'").arg(key);
        return false;
    }
    const QByteArray stored = simparams::storedValue(name, value);
    if (name != "VER" && !simparams::acceptable(name, stored)) {
        *error = QCoreApplication::translate("ostrel-sim", "value '%1' is not acceptable for %2")
                     .arg(value, key);
        return false;
    }
    setup.parameters.insert(name, stored);
    return true;
}

bool toInt(const QString &text, int low, int high, int *out) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return false;
    *out = value;
    return true;
}

bool truthy(const QString &text) {
    return !text.isEmpty() && text != QLatin1String("0") && text != QLatin1String("false");
}

} // namespace

QByteArray firstOwnAddress() {
    QByteArray result;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return result;
    for (ifaddrs *it = list; it; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET || !(it->ifa_flags & IFF_UP) ||
            (it->ifa_flags & IFF_LOOPBACK))
            continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in *>(it->ifa_addr)->sin_addr, text,
                  sizeof text);
        result = text;
        break;
    }
    freeifaddrs(list);
    return result;
}

QString helpText() {
    return QCoreApplication::translate("ostrel-sim", R"(Usage: ostrel-sim [options]

Plays one or many Ostrel relay modules on this machine (Linux only), for
trying and testing the configuration tool without hardware. Each module
answers the search and the AT configuration commands on UDP port 5000 from
its own IPv4 address, and in its working mode acts as TCP server, TCP client
or UDP peer with 15 relays and 12 inputs. Every module address must be an
address of this host or network namespace (see tools/lab.sh for a private
lab). Replies go by unicast to the sender unless --broadcast is given.

Options:
  -h, --help             this text
  --lang LANG            en, zh_CN or source (default: the system's locale;
                         English unless it is Chinese)
  --modules N            number of modules (default 1); they take consecutive
                         addresses from --first-ip
  --first-ip ADDRESS     address of the first module (default: the first up,
                         non-loopback IPv4 address of this host/namespace)
  --module KEYS          one module, "key=value;key=value..." with the module
                         keys below; repeat for more modules (replaces
                         --modules/--first-ip)
  --config FILE          read settings from FILE: .json or .ini (see below)
  --KEY VALUE            factory value of a module key for every module, e.g.
                         --mode 2, --dip 192.168.1.10, --name 继电器,
                         --fault delay:200
  --echo                 working mode: send any other text back
  --broadcast            reply to configuration frames by broadcast to
                         255.255.255.255 (use only inside a private lab)
  --config-port PORT     configuration port (default 5000)
  --tick MS              length of one relay time unit (default 1000 ms)
  --gap MS               pause between the replies to an "all" query (20 ms)
  --quit-on-eof          quit when standard input closes
  --no-control           do not read control commands from standard input

Module keys (factory values; "AT+DEFAULT" restores them):
  ip       address the module answers from (the +IP value follows it)
  mac      MAC text (default 02:00 followed by the address bytes in hex)
  mode     work mode 0 TCP_Server (default), 1 TCP_Client, 2 UDP, 3 UDP_Server
  gateway  192.168.1.1      mask   255.255.255.0    dip    192.168.1.100
  port     12345 (module's own working port)        dport  6000
  uart     9600,8,1,0       dhcp   0                name   Relay (GBK, <=15 bytes)
  version  V1.0 (cannot be set by a command)
  fault    comma-separated faults, see below
  echo     1 = working mode echoes text that is not a relay/input command

Faults (configuration channel, per module):
  silent       no reply at all            wrong      reply "ERROR" instead
  delay:MS     reply MS ms later          twice      every reply sent twice
  short        replies of 19 bytes        no-gt      replies without ">"
  no-cr        replies without CR/LF      long       values padded by 64 bytes
  broadcast    reply by broadcast         unicast    reply to the sender only
  none         clear the faults before it
  Sharing another module's MAC or IP: give two modules the same mac or ip.

Working mode: "AT+STACH<n>=?", "AT+STACH<n>=<s>[,<t>]" and "AT+OCCH<n>=?"
(n = 0 means all) are answered with "+STACH<r>=<s>,<remaining>" and
"+OCCH<r>=<s>" lines (r = '0' + number); n = 0 gives one reply per relay or
input, each sent separately, --gap ms apart. A relay set with time t switches
back after t units. Out-of-range numbers or states give "ERROR".

Control commands (standard input, one per line; <m> is 1-based or "all";
each answers "ok" or "error ..." on standard output):
  input <m> <n> on|off        set input n (0 = all)
  relay <m> <n> on|off [t]    set relay n (0 = all), optionally timed
  fault <m> <faults>          add faults ("none" clears)
  echo <m> on|off             working-mode echo
  set <m> <key> <value>       change a current parameter
  factory <m> <key> <value>   change a factory value
  default <m>                 restore the factory values (as "AT+DEFAULT")
  state <m>                   "state <ip> relays <15 bits> inputs <12 bits>"
  params <m>                  "param <ip> <NAME> <value>" lines
  list                        "module <i> <ip> <mac>" lines
  quit                        stop

At start it prints "module <i> <ip> <mac>" per module, then "ready".

Configuration files: JSON {"modules": [{"ip": "...", "fault": "twice"}],
"defaults": {"name": "..."}, "config-port": 5000, "broadcast": true ...};
INI with [general] (the options above without "--"), [defaults] and one
[moduleN] section per module.
)");
}

Outcome parse(const QStringList &arguments, SimSettings &settings, QString *error) {
    // Flags take no value; every other option takes exactly one. A module key
    // is an option of its own (its factory value for every module), except
    // the two that must differ between modules.
    static const QStringList flags{QStringLiteral("echo"), QStringLiteral("broadcast"),
                                   QStringLiteral("quit-on-eof"), QStringLiteral("no-control")};
    // --lang is read before anything is said (main), and taken here only to pass.
    QStringList valued{QStringLiteral("config"), QStringLiteral("module"), QStringLiteral("lang")};
    for (const QStringList *keys : {&generalKeys(), &moduleKeys()}) {
        for (const QString &key : *keys) {
            if (!flags.contains(key) && key != QLatin1String("ip") && key != QLatin1String("mac"))
                valued.append(key);
        }
    }
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    for (const QString &flag : flags)
        parser.addOption(QCommandLineOption(flag));
    for (const QString &name : std::as_const(valued))
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));

    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help))
        return Outcome::Help;
    if (!parsed) {
        *error = parser.errorText() + QCoreApplication::translate("ostrel-sim", " (see --help)");
        return Outcome::Error;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QCoreApplication::translate("ostrel-sim", "unexpected argument '%1'")
                     .arg(parser.positionalArguments().first());
        return Outcome::Error;
    }

    // Options act in the order given: a later one overrides an earlier one,
    // and a configuration file counts where it is named.
    Plan plan;
    QStringList moduleTexts;
    QHash<QString, qsizetype> taken;
    const QStringList names = parser.optionNames();
    for (const QString &option : names) {
        if (option == QLatin1String("echo")) {
            plan.defaults.append({option, QStringLiteral("1")});
            continue;
        }
        if (flags.contains(option)) {
            plan.general.insert(option, QStringLiteral("1"));
            continue;
        }
        const QString value = parser.values(option).value(taken[option]++);
        if (option == QLatin1String("config")) {
            const bool ok = value.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)
                                ? readJson(value, plan, error)
                                : readIni(value, plan, error);
            if (!ok)
                return Outcome::Error;
        } else if (option == QLatin1String("module")) {
            moduleTexts.append(value);
        } else if (option == QLatin1String("lang")) {
            continue;
        } else if (generalKeys().contains(option)) {
            plan.general.insert(option, value);
        } else {
            plan.defaults.append({option, value});
        }
    }
    for (const QString &text : std::as_const(moduleTexts)) {
        const KeyValues pairs = splitKeyValues(text, error);
        if (pairs.isEmpty()) {
            if (error->isEmpty())
                *error = QCoreApplication::translate("ostrel-sim", "empty --module");
            return Outcome::Error;
        }
        plan.modules.append(pairs);
    }

    for (auto it = plan.general.cbegin(); it != plan.general.cend(); ++it) {
        const QString &key = it.key();
        const QString &value = it.value();
        bool ok = true;
        int number = 0;
        if (key == QLatin1String("config-port")) {
            ok = toInt(value, 1, 65535, &number);
            settings.configPort = quint16(number);
        } else if (key == QLatin1String("tick")) {
            ok = toInt(value, 1, 3600000, &settings.tickMs);
        } else if (key == QLatin1String("gap")) {
            ok = toInt(value, 0, 60000, &settings.gapMs);
        } else if (key == QLatin1String("broadcast")) {
            settings.broadcast = truthy(value);
        } else if (key == QLatin1String("quit-on-eof")) {
            settings.quitOnEof = truthy(value);
        } else if (key == QLatin1String("no-control")) {
            settings.control = !truthy(value);
        } else if (!generalKeys().contains(key)) {
            ok = false;
        }
        if (!ok) {
            *error =
                QCoreApplication::translate("ostrel-sim", "bad value '%1' for %2").arg(value, key);
            return Outcome::Error;
        }
    }

    if (plan.modules.isEmpty()) {
        int count = 1;
        if (!toInt(plan.general.value(QStringLiteral("modules"), QStringLiteral("1")), 1, 4096,
                   &count)) {
            *error = QCoreApplication::translate("ostrel-sim",
                                                 "--modules needs a number from 1 to 4096");
            return Outcome::Error;
        }
        QByteArray first = plan.general.value(QStringLiteral("first-ip")).toLatin1();
        if (first.isEmpty())
            first = firstOwnAddress();
        in_addr base{};
        if (inet_pton(AF_INET, first.constData(), &base) != 1) {
            *error = first.isEmpty()
                         ? QCoreApplication::translate(
                               "ostrel-sim", "no non-loopback IPv4 address here; use --first-ip")
                         : QCoreApplication::translate("ostrel-sim", "bad address '%1'")
                               .arg(QLatin1String(first));
            return Outcome::Error;
        }
        for (int i = 0; i < count; ++i) {
            in_addr next{htonl(ntohl(base.s_addr) + quint32(i))};
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &next, text, sizeof text);
            plan.modules.append({{QStringLiteral("ip"), QString::fromLatin1(text)}});
        }
    }

    settings.modules.clear();
    for (const KeyValues &pairs : std::as_const(plan.modules)) {
        QByteArray address;
        QByteArray mac;
        for (const auto &[key, value] : pairs) {
            if (key == QLatin1String("ip"))
                address = value.toLatin1();
        }
        in_addr check{};
        if (inet_pton(AF_INET, address.constData(), &check) != 1) {
            *error = QCoreApplication::translate("ostrel-sim", "module without a valid ip ('%1')")
                         .arg(QLatin1String(address));
            return Outcome::Error;
        }
        SimModuleSetup setup;
        setup.address = address;
        setup.parameters = simparams::factory(address, simparams::macFor(address));
        for (const KeyValues *source : std::array<const KeyValues *, 2>{&plan.defaults, &pairs}) {
            for (const auto &[key, value] : *source) {
                if (!applyPair(setup, key, value, error))
                    return Outcome::Error;
            }
        }
        settings.modules.append(setup);
    }
    return Outcome::Run;
}

} // namespace simoptions
