#include "commandtable.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace commands {

constexpr Command Handshake{
    .parameter = std::nullopt,
    .query = "AT",
    .queryLog = QT_TRANSLATE_NOOP("Command", "发送AT命令"),
    .answerDueAtOnce = true,
    .keyword = "OK",
    .readOk = QT_TRANSLATE_NOOP("Command", "AT命令响应成功"),
    .readFail = QT_TRANSLATE_NOOP("Command", "AT命令响应失败"),
};

constexpr Command FactoryDefault{
    .parameter = std::nullopt,
    .query = "AT+DEFAULT",
    .queryLog = QT_TRANSLATE_NOOP("Command", "发送恢复出厂设置命令"),
    .answerDueAtOnce = true,
    .keyword = "OK",
    .readOk = QT_TRANSLATE_NOOP("Command", "恢复出厂设置命令响应成功"),
    .readFail = QT_TRANSLATE_NOOP("Command", "恢复出厂设置命令响应失败"),
    .setCommand = "AT+DEFAULT",
    .setLog = QT_TRANSLATE_NOOP("Command", "设置模块出厂默认参数"),
};

const Command &of(Parameter parameter) {
    return parameters::info(parameter).command;
}

std::optional<Parameter> next(std::span<const Parameter> order, Parameter parameter) {
    // The serial settings belong to neither sequence; one that meets them
    // goes on as after the device name.
    const Parameter at = parameter == Parameter::Uart ? Parameter::DeviceName : parameter;
    const auto it = std::ranges::find(order, at);
    if (it == order.end() || std::next(it) == order.end())
        return std::nullopt;
    return *std::next(it);
}

bool isReport(QByteArrayView payload) {
    return std::ranges::any_of(parameters::catalogue(), [&](const ParameterInfo &row) {
        return payload.startsWith(row.command.keyword);
    });
}

} // namespace commands
