#include "moduleresults.h"
#include "words.h"

#include "gbk.h"

#include <QJsonArray>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

using Status = ModuleOutcome::Status;

QJsonValue textJson(const QString &text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QJsonValue valueJson(Parameter parameter, const ParameterValue &value) {
    const std::optional<QString> text = parameters::text(parameter, value);
    // Ports are numbers to a script, as counts and times are.
    bool number = false;
    const int port = text ? text->toInt(&number) : 0;
    if (number && (parameter == Parameter::Port || parameter == Parameter::DestinationPort))
        return port;
    return text ? QJsonValue(*text) : QJsonValue();
}

QString valueCell(Parameter parameter, const ParameterValue &value) {
    return parameters::text(parameter, value).value_or(u"?"_s);
}

QJsonObject moduleJson(const ModuleOutcome &outcome) {
    QJsonObject parameters;
    for (const Setting &value : outcome.values)
        parameters.insert(keyOf(value.parameter), valueJson(value.parameter, value.value));
    QJsonArray written;
    for (const Parameter parameter : outcome.written)
        written.append(keyOf(parameter));
    QJsonArray mismatches;
    for (const Mismatch &m : outcome.mismatches) {
        mismatches.append(
            QJsonObject{{u"key"_s, keyOf(m.parameter)},
                        {u"wanted"_s, valueJson(m.parameter, m.wanted)},
                        {u"read"_s, m.read ? valueJson(m.parameter, *m.read) : QJsonValue()}});
    }
    const QJsonValue error = outcome.status == Status::Done
                                 ? QJsonValue()
                                 : QJsonObject{{u"step"_s, outcome.step},
                                               {u"code"_s, textJson(outcome.code)},
                                               {u"message"_s, outcome.message}};
    return {{u"module"_s, outcome.module},
            {u"ip"_s, textJson(outcome.ip)},
            {u"adapter"_s, textJson(outcome.adapter)},
            {u"status"_s, statusText(outcome.status)},
            {u"error"_s, error},
            {u"parameters"_s, parameters},
            {u"written"_s, written},
            {u"mismatches"_s, mismatches}};
}

QString detailOf(const ModuleOutcome &outcome) {
    if (outcome.status == Status::Mismatch) {
        QStringList texts;
        for (const Mismatch &m : outcome.mismatches) {
            texts.append(Words::tr("%1 is %2, not %3")
                             .arg(keyOf(m.parameter),
                                  m.read ? valueCell(m.parameter, *m.read) : Words::tr("unread"),
                                  valueCell(m.parameter, m.wanted)));
        }
        return texts.join(u"; "_s);
    }
    QStringList keys;
    for (const Parameter parameter : outcome.written)
        keys.append(keyOf(parameter));
    const QString wrote =
        keys.isEmpty() ? QString() : Words::tr("wrote %1").arg(keys.join(u", "_s));
    if (outcome.status == Status::Done)
        return wrote;
    if (outcome.status != Status::Failed)
        return Problem{{}, outcome.step, outcome.message, outcome.code}.line();
    // What the module took before it failed is changed on it all the same.
    const QString failure = Words::tr("failed at %1 (%2)").arg(outcome.step, outcome.message);
    return wrote.isEmpty() ? failure : wrote + u"; "_s + failure;
}

// The modules' entries, and an error for each that did not get done.
Report outcomesReport(const QList<ModuleOutcome> &outcomes) {
    Report report;
    QJsonArray modules;
    for (const ModuleOutcome &outcome : outcomes) {
        modules.append(moduleJson(outcome));
        if (outcome.status == Status::Failed && !outcome.written.isEmpty())
            report.errors.append({outcome.module, outcome.step, detailOf(outcome), outcome.code});
        else if (outcome.status != Status::Done)
            report.errors.append({outcome.module, outcome.step, outcome.message, outcome.code});
    }
    report.fields.insert(u"modules"_s, modules);
    report.exitCode = exitCodeOf(outcomes);
    return report;
}

} // namespace

QString statusText(ModuleOutcome::Status status) {
    switch (status) {
    case Status::Done:
        return u"ok"_s;
    case Status::Failed:
        return u"failed"_s;
    case Status::NotFound:
        return u"not-found"_s;
    case Status::Mismatch:
        return u"mismatch"_s;
    }
    return {};
}

void compareReadBack(const Settings &wanted, ModuleOutcome &outcome) {
    if (outcome.status != Status::Done)
        return;
    for (const Setting &setting : wanted) {
        const auto it = std::ranges::find(outcome.values, setting.parameter, &Setting::parameter);
        if (it == outcome.values.end())
            outcome.mismatches.append({setting.parameter, setting.value, std::nullopt});
        else if (it->value != setting.value)
            outcome.mismatches.append({setting.parameter, setting.value, it->value});
    }
    if (!outcome.mismatches.isEmpty()) {
        outcome.status = Status::Mismatch;
        outcome.step = u"read-back"_s;
        outcome.message = detailOf(outcome);
    }
}

int exitCodeOf(const QList<ModuleOutcome> &outcomes) {
    const auto is = [](Status status) {
        return [status](const ModuleOutcome &o) { return o.status == status; };
    };
    if (std::ranges::all_of(outcomes, is(Status::NotFound)))
        return NothingFound;
    return std::ranges::all_of(outcomes, is(Status::Done)) ? Done : ModuleFailed;
}

Report withSearch(Report report, const SearchOutcome &search) {
    report.warnings.append(search.warnings);
    if (search.failure)
        report.fail(NothingFound, *search.failure);
    report.fields.insert(u"traffic"_s,
                         QJsonObject{{u"frames"_s, qint64(search.traffic.frames)},
                                     {u"peakPerSecond"_s, search.traffic.peakPerSecond}});
    return report;
}

Report searchReport(const SearchOutcome &outcome) {
    Report report;
    report.table = Table({Words::tr("MODULE"), u"IP"_s, Words::tr("ADAPTER")});
    QJsonArray modules;
    for (const ListedModule &module : outcome.modules) {
        report.table.addRow({module.mac, module.ip, module.adapter});
        modules.append(QJsonObject{
            {u"module"_s, module.mac}, {u"ip"_s, module.ip}, {u"adapter"_s, module.adapter}});
    }
    report.fields.insert(u"modules"_s, modules);
    if (!outcome.failure && outcome.modules.isEmpty())
        report.fail(NothingFound,
                    {{}, u"search"_s, Words::tr("no module answered"), u"no_module"_s});
    return withSearch(report, outcome);
}

Report readReport(const QList<ModuleOutcome> &outcomes, bool uart) {
    Report report = outcomesReport(outcomes);
    QList<Parameter> columns(parameters::readAllOrder().begin(), parameters::readAllOrder().end());
    // The module's MAC heads the row already.
    columns.removeOne(Parameter::MAC);
    if (uart)
        columns.append(Parameter::Uart);
    QStringList headers{Words::tr("MODULE"), Words::tr("STATUS")};
    for (const Parameter parameter : columns)
        headers.append(keyOf(parameter).toUpper());
    report.table = Table(headers);
    for (const ModuleOutcome &outcome : outcomes) {
        QStringList row{outcome.module, statusText(outcome.status)};
        for (const Parameter parameter : columns) {
            const auto it = std::ranges::find(outcome.values, parameter, &Setting::parameter);
            row.append(it == outcome.values.end() ? u"-"_s : valueCell(parameter, it->value));
        }
        report.table.addRow(row);
    }
    return report;
}

Report changeReport(const QList<ModuleOutcome> &outcomes, bool summary) {
    Report report = outcomesReport(outcomes);
    report.table = Table({Words::tr("MODULE"), u"IP"_s, Words::tr("STATUS"), Words::tr("DETAIL")});
    for (const ModuleOutcome &outcome : outcomes)
        report.table.addRow({outcome.module, outcome.ip.isEmpty() ? u"-"_s : outcome.ip,
                             statusText(outcome.status), detailOf(outcome)});
    if (summary) {
        const auto done = std::ranges::count(outcomes, Status::Done, &ModuleOutcome::status);
        report.notes.append(Words::tr("%1 of %2 modules done").arg(done).arg(outcomes.size()));
        report.fields.insert(u"summary"_s, QJsonObject{{u"modules"_s, int(outcomes.size())},
                                                       {u"done"_s, int(done)},
                                                       {u"failed"_s, int(outcomes.size() - done)}});
    }
    return report;
}

Report dryRunReport(const QList<PreviewedModule> &modules) {
    Report report;
    report.table = Table({Words::tr("MODULE"), Words::tr("STEP"), Words::tr("FRAME")});
    QJsonArray frames;
    for (const auto &[module, preview] : modules) {
        for (const FramePreview::Frame &frame : preview.frames) {
            const QString text = gbk::decode(frame.bytes);
            QString shown = text;
            shown.replace(u"\r"_s, u"\\r"_s).replace(u"\n"_s, u"\\n"_s);
            report.table.addRow({module, frame.step, shown});
            frames.append(
                QJsonObject{{u"module"_s, module}, {u"step"_s, frame.step}, {u"frame"_s, text}});
        }
        if (!preview.refusal.isEmpty())
            report.fail(UsageError,
                        {module, preview.refusedStep, preview.refusal, preview.refusalCode});
    }
    report.fields.insert(u"dryRun"_s, true);
    report.fields.insert(u"frames"_s, frames);
    return report;
}

} // namespace cli
