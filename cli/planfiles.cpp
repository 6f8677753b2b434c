#include "planfiles.h"
#include "words.h"

#include "gbk.h"
#include "settings.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <optional>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

// A plan for a few thousand modules is far smaller; anything this large is
// not one, and reading it whole would only cost memory.
constexpr qint64 MaxFileSize = 1 << 20;
const QString StandardInput = u"-"_s;

// "-" is standard input, as the tools people know take it.
std::optional<QByteArray> readFile(const QString &path, QString *error) {
    QFile file(path);
    const bool opened = path == StandardInput ? file.open(stdin, QIODevice::ReadOnly)
                                              : file.open(QIODevice::ReadOnly);
    if (!opened) {
        *error = u"%1: %2"_s.arg(path, path == StandardInput ? file.errorString()
                                                             : settings::openFailure(file, false));
        return std::nullopt;
    }
    QByteArray bytes;
    // A pipe hands its bytes over in pieces.
    while (bytes.size() <= MaxFileSize) {
        const QByteArray piece = file.read(MaxFileSize + 1 - bytes.size());
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    if (bytes.size() > MaxFileSize) {
        *error = Words::tr("%1: larger than %2 bytes").arg(path).arg(MaxFileSize);
        return std::nullopt;
    }
    return bytes;
}

bool looksLikeJson(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    bytes = bytes.trimmed();
    if (bytes.startsWith('['))
        // "[CFG]" opens a section, "[{" or "[]" a list.
        return bytes.sliced(1).trimmed().startsWith('{') || bytes.sliced(1).trimmed() == "]";
    return bytes.startsWith('{');
}

// UTF-8, or else GBK, as a spreadsheet on a Chinese system saves it.
QString decodeText(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    return utf8.hasError() ? gbk::decode(bytes) : text;
}

QString addParsed(Settings &settings, QStringView key, QStringView value) {
    const SettingParse parse = parseSetting(key, value);
    return parse.setting ? addSetting(settings, *parse.setting) : parse.error;
}

// ---------------------------------------------------------------------------
// CFG.ini

// Only the keys the file holds are written. A text the window saved from a
// field never filled ("0", or empty) is no value, which no address, port or
// MAC can be; the four keys of the serial settings go together.
SettingsFile fromCfg(const QString &path) {
    const settings::LoadResult load = settings::loadSettings(path, ParameterSettings());
    if (!load.message.isEmpty())
        return {{}, load.message};
    SettingsFile file;
    const auto fail = [&](const QString &error) {
        return SettingsFile{{}, path + u": "_s + error};
    };
    const std::span<const SettingsKey> keys = parameters::settingsKeys();
    QStringList uart(4);
    QStringList uartKeys;
    QStringList uartLacking;
    for (size_t i = 0; i < keys.size(); ++i) {
        const SettingsKey &key = keys[i];
        const QString name = QString::fromLatin1(key.name);
        const bool serial = key.parameter == Parameter::Uart;
        if (!load.heldKeys.contains(name)) {
            if (serial)
                uartLacking.append(name);
            continue;
        }
        QString text = load.values.fields.value(qsizetype(i));
        if (key.items) {
            const QString item = key.items->text(text.toInt());
            if (item.isEmpty())
                return fail(Words::tr("%1=%2 is not an item of its list").arg(name, text));
            text = item;
        } else if (text.isEmpty() || text == u"0"_s) {
            continue;
        }
        if (serial) {
            uart[key.part] = text;
            uartKeys.append(name);
        } else if (const QString error = addParsed(file.settings, keyOf(key.parameter), text);
                   !error.isEmpty()) {
            return fail(error);
        }
    }
    if (!uartKeys.isEmpty() && !uartLacking.isEmpty())
        return fail(Words::tr("%1 without %2: the serial settings are written whole")
                        .arg(uartKeys.join(u", "_s), uartLacking.join(u", "_s)));
    if (!uartKeys.isEmpty()) {
        if (const QString error = addParsed(file.settings, keyOf(Parameter::Uart), uart.join(u','));
            !error.isEmpty())
            return fail(error);
    }
    if (file.settings.isEmpty())
        return fail(Words::tr("holds no settings under [CFG]"));
    return file;
}

// ---------------------------------------------------------------------------
// JSON as `read --json` prints it

QString addJsonValue(Settings &settings, const QString &key, const QJsonValue &value) {
    if (value.isNull() || parameters::ofKey(key) == Parameter::Version)
        return {}; // nothing read, or nothing to write
    if (value.isString())
        return addParsed(settings, key, value.toString());
    if (value.isDouble() && value.toDouble() == double(value.toInteger()))
        return addParsed(settings, key, QString::number(value.toInteger()));
    return Words::tr("%1: a value is a string").arg(key);
}

struct Entries {
    QList<PlanRow> rows;
    QString error;
};

// The entries of "modules", or of a list of them alone (as `jq .modules`
// gives it). A plan names each entry's module; a file to write from need not.
Entries jsonEntries(const QString &path, const QByteArray &bytes, bool needModule) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {{},
                Words::tr("%1: %2 at byte %3")
                    .arg(path, parseError.errorString())
                    .arg(parseError.offset)};
    const QJsonValue modules =
        document.isArray() ? QJsonValue(document.array()) : document.object().value(u"modules"_s);
    if (!modules.isArray())
        return {{},
                Words::tr("%1: no \"modules\" list, as `ostrel-cli read --json` prints").arg(path)};
    Entries entries;
    const QJsonArray list = modules.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!list[i].isObject())
            return {{}, Words::tr("%1: module %2: not an object").arg(path).arg(i + 1)};
        const QJsonObject entry = list[i].toObject();
        const QJsonValue module = entry.value(u"module"_s);
        if (needModule && !module.isString())
            return {{},
                    Words::tr("%1: module %2: no \"module\" (the MAC address the module answers "
                              "to)")
                        .arg(path)
                        .arg(i + 1)};
        PlanRow row{module.toString(), {}};
        const QJsonObject parameters = entry.value(u"parameters"_s).toObject();
        for (auto it = parameters.begin(); it != parameters.end(); ++it) {
            if (const QString error = addJsonValue(row.settings, it.key(), it.value());
                !error.isEmpty())
                return {{}, Words::tr("%1: module %2: %3").arg(path).arg(i + 1).arg(error)};
        }
        entries.rows.append(row);
    }
    return entries;
}

// ---------------------------------------------------------------------------
// CSV

struct Records {
    QList<std::pair<int, QStringList>> records;
    QString error;
};

// Fields split at commas, quotes around a field (and "" inside) as
// spreadsheets write them; each record with the number of the line it
// starts on.
Records csvRecords(const QString &text) {
    QList<std::pair<int, QStringList>> records;
    int quoteLine = 0;
    QStringList fields;
    QString field;
    bool quoted = false;
    int line = 1;
    int recordLine = 1;
    const auto endRecord = [&] {
        fields.append(field);
        field.clear();
        if (fields.size() > 1 || !fields.first().trimmed().isEmpty())
            records.append({recordLine, fields});
        fields.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n')
            ++line;
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
            quoteLine = line;
        } else if (c == u',') {
            fields.append(std::exchange(field, {}));
        } else if (c == u'\n') {
            endRecord();
            recordLine = line;
        } else if (c != u'\r') {
            field += c;
        }
    }
    if (quoted)
        return {{}, Words::tr("line %1: a quote opens a cell that no quote closes").arg(quoteLine)};
    if (!field.isEmpty() || !fields.isEmpty())
        endRecord();
    return {records, {}};
}

Entries csvEntries(const QString &path, const QByteArray &bytes) {
    const auto [records, malformed] = csvRecords(decodeText(bytes));
    if (!malformed.isEmpty())
        return {{}, path + u": "_s + malformed};
    if (records.isEmpty())
        return {{}, Words::tr("%1: empty").arg(path)};
    QStringList columns;
    for (const QString &name : records.first().second) {
        const QString column = name.trimmed().toLower();
        const std::optional<Parameter> parameter = parameters::ofKey(column);
        if (columns.contains(column) ||
            (column != u"module"_s && (!parameter || parameter == Parameter::Version)))
            return {{},
                    Words::tr("%1: line 1: column \"%2\" is not module or a setting key, or comes "
                              "twice")
                        .arg(path, name)};
        columns.append(column);
    }
    const qsizetype moduleColumn = columns.indexOf(u"module"_s);
    if (moduleColumn < 0)
        return {{}, Words::tr("%1: line 1: no \"module\" column").arg(path)};
    Entries entries;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const auto &[line, cells] = records[r];
        const auto fail = [&, line = line](const QString &error) {
            return Entries{{}, Words::tr("%1: line %2: %3").arg(path).arg(line).arg(error)};
        };
        if (cells.size() != columns.size())
            return fail(Words::tr("%1 cells where line 1 names %2 columns")
                            .arg(cells.size())
                            .arg(columns.size()));
        PlanRow row{cells.value(moduleColumn).trimmed(), {}};
        for (qsizetype c = 0; c < cells.size(); ++c) {
            // Spaces around a cell are the spreadsheet's, but a name may hold them.
            const QString cell =
                columns[c] == keyOf(Parameter::DeviceName) ? cells[c] : cells[c].trimmed();
            if (c == moduleColumn || cell.isEmpty())
                continue;
            if (const QString error = addParsed(row.settings, columns[c], cell); !error.isEmpty())
                return fail(error);
        }
        entries.rows.append(row);
    }
    return entries;
}

// ---------------------------------------------------------------------------
// Checks across the rows of a plan

// Each module once, named by its MAC; no two modules given one address.
QString checkRows(QList<PlanRow> &rows) {
    QSet<QString> modules;
    QSet<QString> addresses[2];
    for (PlanRow &row : rows) {
        const QString mac = normalizedMac(row.module);
        if (mac.isEmpty())
            return Words::tr("\"%1\" is not the MAC address of a module").arg(row.module);
        if (modules.contains(mac))
            return Words::tr("module %1 comes twice").arg(mac);
        modules.insert(mac);
        row.module = mac;
        // A module's own MAC written back to it changes nothing.
        row.settings.removeIf([&](const Setting &s) {
            return s.parameter == Parameter::MAC && std::get<QString>(s.value) == mac;
        });
        for (const Setting &setting : std::as_const(row.settings)) {
            const int kind = setting.parameter == Parameter::IP    ? 0
                             : setting.parameter == Parameter::MAC ? 1
                                                                   : -1;
            if (kind < 0)
                continue;
            const QString &value = std::get<QString>(setting.value);
            if (addresses[kind].contains(value))
                return Words::tr("%1 %2 is given to two modules")
                    .arg(keyOf(setting.parameter), value);
            addresses[kind].insert(value);
        }
    }
    return {};
}

// The settings reader takes files only; its messages name standard input.
SettingsFile cfgFromStandardInput(const QByteArray &bytes) {
    QTemporaryDir dir;
    QFile copy(dir.filePath(u"CFG.ini"_s));
    if (!dir.isValid() || !copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
        return {
            {},
            Words::tr("-: could not keep a copy of standard input: %1").arg(copy.errorString())};
    copy.close();
    SettingsFile file = fromCfg(copy.fileName());
    file.error.replace(copy.fileName(), StandardInput);
    return file;
}

} // namespace

SettingsFile readSettingsFile(const QString &path) {
    QString error;
    const std::optional<QByteArray> bytes = readFile(path, &error);
    if (!bytes)
        return {{}, error};
    if (!looksLikeJson(*bytes))
        return path == StandardInput ? cfgFromStandardInput(*bytes) : fromCfg(path);
    const Entries entries = jsonEntries(path, *bytes, false);
    if (!entries.error.isEmpty())
        return {{}, entries.error};
    if (entries.rows.size() != 1)
        return {{},
                Words::tr("%1: holds %2 modules; write takes one (apply takes many)")
                    .arg(path)
                    .arg(entries.rows.size())};
    return {entries.rows.first().settings, {}};
}

Plan readPlan(const QString &path) {
    QString error;
    const std::optional<QByteArray> bytes = readFile(path, &error);
    if (!bytes)
        return {{}, error};
    Entries entries =
        looksLikeJson(*bytes) ? jsonEntries(path, *bytes, true) : csvEntries(path, *bytes);
    if (!entries.error.isEmpty())
        return {{}, entries.error};
    if (entries.rows.isEmpty())
        return {{}, Words::tr("%1: holds no module").arg(path)};
    if (const QString rowError = checkRows(entries.rows); !rowError.isEmpty())
        return {{}, path + u": "_s + rowError};
    return {entries.rows, {}};
}

} // namespace cli
