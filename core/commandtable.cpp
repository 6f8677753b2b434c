#include "commandtable.h"

#include <algorithm>
#include <iterator>

namespace commands {

using K = ValueKind;
using P = Parameter;

constexpr Command Handshake{
    .parameter = std::nullopt,
    .query = "AT",
    .queryLog = u"发送AT命令",
    .answerDueAtOnce = true,
    .keyword = "OK",
    .readOk = u"AT命令响应成功",
    .readFail = u"AT命令响应失败",
};

constexpr Command FactoryDefault{
    .parameter = std::nullopt,
    .query = "AT+DEFAULT",
    .queryLog = u"发送恢复出厂设置命令",
    .answerDueAtOnce = true,
    .keyword = "OK",
    .readOk = u"恢复出厂设置命令响应成功",
    .readFail = u"恢复出厂设置命令响应失败",
    .setCommand = "AT+DEFAULT",
    .setLog = u"设置模块出厂默认参数",
};

namespace {

// One row per parameter, in the order of Parameter.
// clang-format off
constexpr Command Table[] = {
    {.parameter = P::Model, .kind = K::ItemDigit,
     .query = "AT+MODEL=?", .queryLog = u"查询工作模式", .keyword = "+MODEL", .valuePos = 7,
     .readOk = u"查询工作模式成功", .readFail = u"查询工作模式失败",
     .setCommand = "AT+MODEL=", .setLog = u"设置模块工作模式",
     .setOk = u"设置工作模式成功", .setFail = u"设置工作模式失败"},
    {.parameter = P::Gateway, .kind = K::Text,
     .query = "AT+GATEWAY=?", .queryLog = u"查询网关IP地址", .keyword = "+GATEWAY", .valuePos = 9,
     .readOk = u"查询网关IP地址成功", .readFail = u"查询网关IP地址失败",
     .setCommand = "AT+GATEWAY=", .setLog = u"设置网关IP地址",
     .setOk = u"设置网关IP成功", .setFail = u"设置网关IP失败"},
    {.parameter = P::Mask, .kind = K::Text,
     .query = "AT+MASK=?", .queryLog = u"查询子网掩码", .keyword = "+MASK", .valuePos = 6,
     .readOk = u"查询子网掩码成功", .readFail = u"查询子网掩码失败",
     .setCommand = "AT+MASK=", .setLog = u"设置子网掩码",
     .setOk = u"设置子网掩码成功", .setFail = u"设置子网掩码失败"},
    {.parameter = P::IP, .kind = K::Text,
     .query = "AT+IP=?", .queryLog = u"查询模块IP地址", .keyword = "+IP", .valuePos = 4,
     .readOk = u"查询模块IP地址成功", .readFail = u"查询模块IP地址失败",
     .setCommand = "AT+IP=", .setLog = u"设置模块IP地址",
     .setOk = u"设置模块IP成功", .setFail = u"设置模块IP失败"},
    {.parameter = P::DestinationIP, .kind = K::Text,
     .query = "AT+DIP=?", .queryLog = u"查询模块目的IP地址", .keyword = "+DIP", .valuePos = 5,
     .readOk = u"查询模块目的IP地址成功", .readFail = u"查询模块目的IP地址失败",
     .setCommand = "AT+DIP=", .setLog = u"设置目的IP",
     .setOk = u"设置模块目的IP成功", .setFail = u"设置模块目的IP失败"},
    {.parameter = P::Port, .kind = K::Text,
     .query = "AT+PORT=?", .queryLog = u"查询模块端口", .keyword = "+PORT", .valuePos = 6,
     .readOk = u"查询模块端口成功", .readFail = u"查询模块端口失败",
     .setCommand = "AT+PORT=", .setLog = u"设置模块端口号",
     .setOk = u"设置模块端口成功", .setFail = u"设置模块端口失败"},
    {.parameter = P::DestinationPort, .kind = K::Text,
     .query = "AT+DPORT=?", .queryLog = u"查询模块目的端口", .keyword = "+DPORT", .valuePos = 7,
     .readOk = u"查询模块目的端口成功", .readFail = u"查询模块目的端口失败",
     .setCommand = "AT+DPORT=", .setLog = u"设置目的端口号",
     .setOk = u"设置模块目的端口成功", .setFail = u"设置模块目的端口失败"},
    {.parameter = P::Uart, .kind = K::Uart,
     .query = "AT+UART=?", .queryLog = u"查询串口参数", .keyword = "+UART", .valuePos = 6,
     .readOk = u"查询模块串口参数成功", .readFail = u"查询模块串口参数失败",
     .setCommand = "AT+UART=", .setLog = u"设置模块串口参数",
     .setOk = u"设置模块串口参数成功", .setFail = u"设置模块串口参数失败"},
    {.parameter = P::MAC, .kind = K::Text,
     .query = "AT+MAC=?", .queryLog = u"查询MAC地址", .keyword = "+MAC", .valuePos = 5,
     .readOk = u"查询模块MAC地址成功", .readFail = u"查询模块MAC地址失败",
     .setCommand = "AT+MAC=", .setLog = u"设置模块MAC地址",
     .setOk = u"设置模块MAC地址成功", .setFail = u"设置模块MAC地址失败"},
    {.parameter = P::Dhcp, .kind = K::ItemDigit,
     .query = "AT+DCHP=?", .queryLog = u"查询DCHP模式", .keyword = "+DCHP", .valuePos = 6,
     .readOk = u"查询模块DCHP模式成功", .readFail = u"查询模块DCHP模式失败",
     .setCommand = "AT+DCHP=", .setLog = u"设置DCHP模式",
     .setOk = u"设置DCHP模式成功", .setFail = u"设置DCHP模式失败"},
    {.parameter = P::DeviceName, .kind = K::Text,
     .query = "AT+NAME=?", .queryLog = u"查询设备名称", .keyword = "+NAME", .valuePos = 6,
     .readOk = u"查询模块设备名称成功", .readFail = u"查询模块设备名称失败",
     .setCommand = "AT+NAME=", .setLog = u"设置模块设备名称",
     .setOk = u"设置模块设备名称成功", .setFail = u"设置模块设备名称失败"},
    {.parameter = P::Version, .kind = K::Version,
     .query = "AT+VER=?", .queryLog = u"读取版本号", .keyword = "+VER", .valuePos = 5,
     .readOk = u"读取版本号成功", .readFail = u"读取版本号失败"},
};
// clang-format on

constexpr bool inParameterOrder() {
    for (size_t i = 0; i < std::size(Table); ++i) {
        if (Table[i].parameter != Parameter(i))
            return false;
    }
    return true;
}
static_assert(inParameterOrder() && std::size(Table) == size_t(P::Version) + 1);

} // namespace

const Command &of(Parameter parameter) {
    return Table[size_t(parameter)];
}

std::optional<Parameter> next(std::span<const Parameter> order, Parameter parameter) {
    // The serial settings belong to neither sequence; one that meets them
    // goes on as after the device name.
    const Parameter at = parameter == P::Uart ? P::DeviceName : parameter;
    const auto it = std::ranges::find(order, at);
    if (it == order.end() || std::next(it) == order.end())
        return std::nullopt;
    return *std::next(it);
}

bool isReport(QByteArrayView payload) {
    return std::ranges::any_of(Table,
                               [&](const Command &c) { return payload.startsWith(c.keyword); });
}

} // namespace commands
