#include "settingtext.h"
#include "words.h"

#include "modulesession.h"

#include "gbk.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

QString quoted(const QStringList &items) {
    return u'"' + items.join(u"\", \""_s) + u'"';
}

QString items(const ItemList &list) {
    return list.texts().join(u", "_s);
}

QString uartForm() {
    using namespace parameteritems;
    return u"BAUD,DATABITS,STOPBITS,PARITY; BAUD: %1; DATABITS: %2; STOPBITS: %3; PARITY: %4"_s.arg(
        items(BaudRates), items(DataBits), items(StopBits), items(Parities));
}

// What a value of a parameter is, in the help's words.
QString valueForm(const ParameterInfo &row) {
    QString form;
    switch (row.check) {
    case ValueCheck::Item:
        form = items(*row.items);
        break;
    case ValueCheck::Address:
        form = Words::tr("a dotted IPv4 address");
        break;
    case ValueCheck::Mask:
        form = Words::tr("a dotted IPv4 mask, its ones contiguous");
        break;
    case ValueCheck::Port:
        form = Words::tr("a port from 1 to 65535");
        break;
    case ValueCheck::Name:
        form = Words::tr("at most %1 bytes in GBK (a Chinese character takes two)")
                   .arg(parameters::MaxDeviceNameBytes);
        break;
    case ValueCheck::Mac:
        form = Words::tr("six hex pairs joined by ':'");
        break;
    case ValueCheck::Uart:
        form = uartForm();
        break;
    case ValueCheck::ReadOnly:
        break;
    }
    return row.oneModuleAtATime ? Words::tr("%1 (one module at a time)").arg(form) : form;
}

} // namespace

QString refusalText(Refusal refusal, Parameter parameter, QStringView value) {
    const ParameterInfo &row = parameters::info(parameter);
    switch (refusal) {
    case Refusal::None:
        return {};
    case Refusal::UnknownKey: {
        QStringList keys;
        for (const Parameter p : parameters::writeOrder())
            keys.append(keyOf(p));
        return Words::tr("no such key; the keys are %1").arg(keys.join(u", "_s));
    }
    case Refusal::ReadOnly:
        return Words::tr("is read only");
    case Refusal::NotAnItem:
        return Words::tr("\"%1\" is none of %2").arg(value, quoted(row.items->texts()));
    case Refusal::NotAnAddress:
        return Words::tr("\"%1\" is not a dotted IPv4 address").arg(value);
    case Refusal::NotAPort:
        return Words::tr("\"%1\" is not a port from 1 to 65535").arg(value);
    case Refusal::NotAMac:
        return Words::tr("\"%1\" is not six hex pairs joined by ':'").arg(value);
    case Refusal::NotUart:
        return Words::tr("\"%1\" is not %2").arg(value, uartForm());
    case Refusal::NameControl:
        return Words::tr("control characters cannot be sent");
    case Refusal::NameNotGbk:
        return Words::tr("\"%1\" has characters that GBK cannot encode").arg(value);
    case Refusal::NameTooLong:
        return Words::tr("at most %1 bytes (\"%2\" has %3 bytes in GBK)")
            .arg(parameters::MaxDeviceNameBytes)
            .arg(value)
            .arg(gbk::byteLength(value.toString()));
    case Refusal::MaskNotContiguous:
        return Words::tr(
                   "%1 is not a contiguous mask: the module would reach no one (--force sends it "
                   "anyway)")
            .arg(value);
    case Refusal::AddressUnusable:
        return Words::tr(
                   "%1 is no address a module can have: it would be cut off (--force sends it "
                   "anyway)")
            .arg(value);
    case Refusal::OutsideSubnet:
        return Words::
            tr("%1 is outside the module's subnet: the module could not reach it (--force sends "
               "it anyway)")
                .arg(value);
    }
    return {};
}

SettingParse parseSetting(QStringView key, QStringView value) {
    const std::optional<Parameter> parameter = parameters::ofKey(key);
    if (!parameter)
        return {std::nullopt, key.toString() + u": "_s +
                                  refusalText(Refusal::UnknownKey, Parameter::Model, value)};
    const parameters::Parsed parsed = parameters::parse(*parameter, value);
    if (!parsed.value)
        return {std::nullopt,
                keyOf(*parameter) + u": "_s + refusalText(parsed.refusal, *parameter, value)};
    return {Setting{*parameter, *parsed.value}, {}};
}

SettingParse parseAssignment(QStringView text) {
    const qsizetype equals = text.indexOf(u'=');
    if (equals <= 0)
        return {std::nullopt, Words::tr("\"%1\" is not key=value").arg(text)};
    return parseSetting(text.first(equals), text.sliced(equals + 1));
}

// A session's reason for failing, in the command line's words.
QString failureWords(SessionResult::Code code) {
    using C = SessionResult::Code;
    switch (code) {
    case C::Refused:
        return Words::tr("refused");
    case C::WrongAnswers:
        return Words::tr("answered wrongly three times");
    case C::NoAnswer:
        return Words::tr("no answer");
    case C::NotOpen:
        return Words::tr("the network is not open");
    case C::SendFailed:
        return Words::tr("the frame could not be sent");
    case C::InvalidValue:
        return Words::tr("no item of its list");
    case C::NameTooLong:
        return Words::tr("name too long");
    case C::FrameTooLong:
        return Words::tr("the frame would be longer than %1 bytes")
            .arg(ModuleSession::MaxSetFrameBytes);
    case C::Sent:
    case C::Answered:
    case C::ModuleChanged:
        break;
    }
    return codeName(code);
}

QString settingKeysHelp() {
    QString text = Words::tr("Keys and their values (items of a list in any case):\n");
    for (const Parameter parameter : parameters::writeOrder()) {
        text += u"  "_s + keyOf(parameter).leftJustified(8) +
                valueForm(parameters::info(parameter)) + u'\n';
    }
    return text;
}

QString addSetting(Settings &settings, const Setting &setting) {
    const auto rank = [](Parameter p) {
        return std::ranges::find(parameters::writeOrder(), p) - parameters::writeOrder().begin();
    };
    const auto at = std::ranges::find_if(
        settings, [&](const Setting &s) { return rank(s.parameter) >= rank(setting.parameter); });
    if (at != settings.end() && at->parameter == setting.parameter)
        return Words::tr("%1: given twice").arg(keyOf(setting.parameter));
    settings.insert(at, setting);
    return {};
}

TargetParse parseTargets(const QStringList &texts) {
    TargetParse parse;
    if (texts.isEmpty())
        return {{}, Words::tr("no module named: give a MAC address, an IP address or \"all\"")};
    for (const QString &text : texts) {
        Target target;
        if (text.compare(u"all"_s, Qt::CaseInsensitive) == 0) {
            if (texts.size() > 1)
                return {{}, Words::tr("\"all\" names every module and goes alone")};
        } else if (QString mac = normalizedMac(text); !mac.isEmpty()) {
            target = {Target::Kind::Mac, mac};
        } else if (QString address = normalizedAddress(text); !address.isEmpty()) {
            target = {Target::Kind::Address, address};
        } else {
            return {
                {},
                Words::tr("\"%1\" is neither a MAC address, an IP address nor \"all\"").arg(text)};
        }
        if (!parse.targets.contains(target))
            parse.targets.append(target);
    }
    return parse;
}

} // namespace cli
