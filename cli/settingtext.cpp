#include "settingtext.h"

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
        form = u"a dotted IPv4 address"_s;
        break;
    case ValueCheck::Mask:
        form = u"a dotted IPv4 mask, its ones contiguous"_s;
        break;
    case ValueCheck::Port:
        form = u"a port from 1 to 65535"_s;
        break;
    case ValueCheck::Name:
        form = u"at most %1 bytes in GBK (a Chinese character takes two)"_s.arg(
            parameters::MaxDeviceNameBytes);
        break;
    case ValueCheck::Mac:
        form = u"six hex pairs joined by ':'"_s;
        break;
    case ValueCheck::Uart:
        form = uartForm();
        break;
    case ValueCheck::ReadOnly:
        break;
    }
    return row.oneModuleAtATime ? form + u" (one module at a time)"_s : form;
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
        return u"no such key; the keys are "_s + keys.join(u", "_s);
    }
    case Refusal::ReadOnly:
        return u"is read only"_s;
    case Refusal::NotAnItem:
        return u"\"%1\" is none of %2"_s.arg(value, quoted(row.items->texts()));
    case Refusal::NotAnAddress:
        return u"\"%1\" is not a dotted IPv4 address"_s.arg(value);
    case Refusal::NotAPort:
        return u"\"%1\" is not a port from 1 to 65535"_s.arg(value);
    case Refusal::NotAMac:
        return u"\"%1\" is not six hex pairs joined by ':'"_s.arg(value);
    case Refusal::NotUart:
        return u"\"%1\" is not %2"_s.arg(value, uartForm());
    case Refusal::NameControl:
        return u"control characters cannot be sent"_s;
    case Refusal::NameNotGbk:
        return u"\"%1\" has characters that GBK cannot encode"_s.arg(value);
    case Refusal::NameTooLong:
        return u"at most %1 bytes (\"%2\" has %3 bytes in GBK)"_s
            .arg(parameters::MaxDeviceNameBytes)
            .arg(value)
            .arg(gbk::byteLength(value.toString()));
    case Refusal::MaskNotContiguous:
        return u"%1 is not a contiguous mask: the module would reach no one (--force sends it "
               u"anyway)"_s.arg(value);
    case Refusal::AddressUnusable:
        return u"%1 is no address a module can have: it would be cut off (--force sends it "
               u"anyway)"_s.arg(value);
    case Refusal::OutsideSubnet:
        return u"%1 is outside the module's subnet: the module could not reach it (--force sends "
               u"it anyway)"_s.arg(value);
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
        return {std::nullopt, u"\"%1\" is not key=value"_s.arg(text)};
    return parseSetting(text.first(equals), text.sliced(equals + 1));
}

// A session's reason for failing, in the command line's words.
QString failureWords(SessionResult::Code code) {
    using C = SessionResult::Code;
    switch (code) {
    case C::Refused:
        return u"refused"_s;
    case C::WrongAnswers:
        return u"answered wrongly three times"_s;
    case C::NoAnswer:
        return u"no answer"_s;
    case C::NotOpen:
        return u"the network is not open"_s;
    case C::SendFailed:
        return u"the frame could not be sent"_s;
    case C::InvalidValue:
        return u"no item of its list"_s;
    case C::NameTooLong:
        return u"name too long"_s;
    case C::FrameTooLong:
        return u"the frame would be longer than %1 bytes"_s.arg(ModuleSession::MaxSetFrameBytes);
    case C::Sent:
    case C::Answered:
    case C::ModuleChanged:
        break;
    }
    return codeName(code);
}

QString settingKeysHelp() {
    QString text = u"Keys and their values (items of a list in any case):\n"_s;
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
        return keyOf(setting.parameter) + u": given twice"_s;
    settings.insert(at, setting);
    return {};
}

TargetParse parseTargets(const QStringList &texts) {
    TargetParse parse;
    if (texts.isEmpty())
        return {{}, u"no module named: give a MAC address, an IP address or \"all\""_s};
    for (const QString &text : texts) {
        Target target;
        if (text.compare(u"all"_s, Qt::CaseInsensitive) == 0) {
            if (texts.size() > 1)
                return {{}, u"\"all\" names every module and goes alone"_s};
        } else if (QString mac = normalizedMac(text); !mac.isEmpty()) {
            target = {Target::Kind::Mac, mac};
        } else if (QString address = normalizedAddress(text); !address.isEmpty()) {
            target = {Target::Kind::Address, address};
        } else {
            return {{}, u"\"%1\" is neither a MAC address, an IP address nor \"all\""_s.arg(text)};
        }
        if (!parse.targets.contains(target))
            parse.targets.append(target);
    }
    return parse;
}

} // namespace cli
