<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Command</name>
    <message>
        <source>发送AT命令</source>
        <translation>发送AT命令</translation>
    </message>
    <message>
        <source>AT命令响应成功</source>
        <translation>AT命令响应成功</translation>
    </message>
    <message>
        <source>AT命令响应失败</source>
        <translation>AT命令响应失败</translation>
    </message>
    <message>
        <source>发送恢复出厂设置命令</source>
        <translation>发送恢复出厂设置命令</translation>
    </message>
    <message>
        <source>恢复出厂设置命令响应成功</source>
        <translation>恢复出厂设置命令响应成功</translation>
    </message>
    <message>
        <source>恢复出厂设置命令响应失败</source>
        <translation>恢复出厂设置命令响应失败</translation>
    </message>
    <message>
        <source>设置模块出厂默认参数</source>
        <translation>设置模块出厂默认参数</translation>
    </message>
    <message>
        <source>查询工作模式</source>
        <translation>查询工作模式</translation>
    </message>
    <message>
        <source>查询工作模式成功</source>
        <translation>查询工作模式成功</translation>
    </message>
    <message>
        <source>查询工作模式失败</source>
        <translation>查询工作模式失败</translation>
    </message>
    <message>
        <source>设置模块工作模式</source>
        <translation>设置模块工作模式</translation>
    </message>
    <message>
        <source>设置工作模式成功</source>
        <translation>设置工作模式成功</translation>
    </message>
    <message>
        <source>设置工作模式失败</source>
        <translation>设置工作模式失败</translation>
    </message>
    <message>
        <source>查询网关IP地址</source>
        <translation>查询网关IP地址</translation>
    </message>
    <message>
        <source>查询网关IP地址成功</source>
        <translation>查询网关IP地址成功</translation>
    </message>
    <message>
        <source>查询网关IP地址失败</source>
        <translation>查询网关IP地址失败</translation>
    </message>
    <message>
        <source>设置网关IP地址</source>
        <translation>设置网关IP地址</translation>
    </message>
    <message>
        <source>设置网关IP成功</source>
        <translation>设置网关IP成功</translation>
    </message>
    <message>
        <source>设置网关IP失败</source>
        <translation>设置网关IP失败</translation>
    </message>
    <message>
        <source>查询子网掩码</source>
        <translation>查询子网掩码</translation>
    </message>
    <message>
        <source>查询子网掩码成功</source>
        <translation>查询子网掩码成功</translation>
    </message>
    <message>
        <source>查询子网掩码失败</source>
        <translation>查询子网掩码失败</translation>
    </message>
    <message>
        <source>设置子网掩码</source>
        <translation>设置子网掩码</translation>
    </message>
    <message>
        <source>设置子网掩码成功</source>
        <translation>设置子网掩码成功</translation>
    </message>
    <message>
        <source>设置子网掩码失败</source>
        <translation>设置子网掩码失败</translation>
    </message>
    <message>
        <source>查询模块IP地址</source>
        <translation>查询模块IP地址</translation>
    </message>
    <message>
        <source>查询模块IP地址成功</source>
        <translation>查询模块IP地址成功</translation>
    </message>
    <message>
        <source>查询模块IP地址失败</source>
        <translation>查询模块IP地址失败</translation>
    </message>
    <message>
        <source>设置模块IP地址</source>
        <translation>设置模块IP地址</translation>
    </message>
    <message>
        <source>设置模块IP成功</source>
        <translation>设置模块IP成功</translation>
    </message>
    <message>
        <source>设置模块IP失败</source>
        <translation>设置模块IP失败</translation>
    </message>
    <message>
        <source>查询模块目的IP地址</source>
        <translation>查询模块目的IP地址</translation>
    </message>
    <message>
        <source>查询模块目的IP地址成功</source>
        <translation>查询模块目的IP地址成功</translation>
    </message>
    <message>
        <source>查询模块目的IP地址失败</source>
        <translation>查询模块目的IP地址失败</translation>
    </message>
    <message>
        <source>设置目的IP</source>
        <translation>设置目的IP</translation>
    </message>
    <message>
        <source>设置模块目的IP成功</source>
        <translation>设置模块目的IP成功</translation>
    </message>
    <message>
        <source>设置模块目的IP失败</source>
        <translation>设置模块目的IP失败</translation>
    </message>
    <message>
        <source>查询模块端口</source>
        <translation>查询模块端口</translation>
    </message>
    <message>
        <source>查询模块端口成功</source>
        <translation>查询模块端口成功</translation>
    </message>
    <message>
        <source>查询模块端口失败</source>
        <translation>查询模块端口失败</translation>
    </message>
    <message>
        <source>设置模块端口号</source>
        <translation>设置模块端口号</translation>
    </message>
    <message>
        <source>设置模块端口成功</source>
        <translation>设置模块端口成功</translation>
    </message>
    <message>
        <source>设置模块端口失败</source>
        <translation>设置模块端口失败</translation>
    </message>
    <message>
        <source>查询模块目的端口</source>
        <translation>查询模块目的端口</translation>
    </message>
    <message>
        <source>查询模块目的端口成功</source>
        <translation>查询模块目的端口成功</translation>
    </message>
    <message>
        <source>查询模块目的端口失败</source>
        <translation>查询模块目的端口失败</translation>
    </message>
    <message>
        <source>设置目的端口号</source>
        <translation>设置目的端口号</translation>
    </message>
    <message>
        <source>设置模块目的端口成功</source>
        <translation>设置模块目的端口成功</translation>
    </message>
    <message>
        <source>设置模块目的端口失败</source>
        <translation>设置模块目的端口失败</translation>
    </message>
    <message>
        <source>查询DCHP模式</source>
        <translation>查询DCHP模式</translation>
    </message>
    <message>
        <source>查询模块DCHP模式成功</source>
        <translation>查询模块DCHP模式成功</translation>
    </message>
    <message>
        <source>查询模块DCHP模式失败</source>
        <translation>查询模块DCHP模式失败</translation>
    </message>
    <message>
        <source>设置DCHP模式</source>
        <translation>设置DCHP模式</translation>
    </message>
    <message>
        <source>设置DCHP模式成功</source>
        <translation>设置DCHP模式成功</translation>
    </message>
    <message>
        <source>设置DCHP模式失败</source>
        <translation>设置DCHP模式失败</translation>
    </message>
    <message>
        <source>查询设备名称</source>
        <translation>查询设备名称</translation>
    </message>
    <message>
        <source>查询模块设备名称成功</source>
        <translation>查询模块设备名称成功</translation>
    </message>
    <message>
        <source>查询模块设备名称失败</source>
        <translation>查询模块设备名称失败</translation>
    </message>
    <message>
        <source>设置模块设备名称</source>
        <translation>设置模块设备名称</translation>
    </message>
    <message>
        <source>设置模块设备名称成功</source>
        <translation>设置模块设备名称成功</translation>
    </message>
    <message>
        <source>设置模块设备名称失败</source>
        <translation>设置模块设备名称失败</translation>
    </message>
    <message>
        <source>查询串口参数</source>
        <translation>查询串口参数</translation>
    </message>
    <message>
        <source>查询模块串口参数成功</source>
        <translation>查询模块串口参数成功</translation>
    </message>
    <message>
        <source>查询模块串口参数失败</source>
        <translation>查询模块串口参数失败</translation>
    </message>
    <message>
        <source>设置模块串口参数</source>
        <translation>设置模块串口参数</translation>
    </message>
    <message>
        <source>设置模块串口参数成功</source>
        <translation>设置模块串口参数成功</translation>
    </message>
    <message>
        <source>设置模块串口参数失败</source>
        <translation>设置模块串口参数失败</translation>
    </message>
    <message>
        <source>查询MAC地址</source>
        <translation>查询MAC地址</translation>
    </message>
    <message>
        <source>查询模块MAC地址成功</source>
        <translation>查询模块MAC地址成功</translation>
    </message>
    <message>
        <source>查询模块MAC地址失败</source>
        <translation>查询模块MAC地址失败</translation>
    </message>
    <message>
        <source>设置模块MAC地址</source>
        <translation>设置模块MAC地址</translation>
    </message>
    <message>
        <source>设置模块MAC地址成功</source>
        <translation>设置模块MAC地址成功</translation>
    </message>
    <message>
        <source>设置模块MAC地址失败</source>
        <translation>设置模块MAC地址失败</translation>
    </message>
    <message>
        <source>读取版本号</source>
        <translation>读取版本号</translation>
    </message>
    <message>
        <source>读取版本号成功</source>
        <translation>读取版本号成功</translation>
    </message>
    <message>
        <source>读取版本号失败</source>
        <translation>读取版本号失败</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Close message boxes and the window after &lt;ms&gt; milliseconds and exit; prints &quot;ostrel: running&quot; once the window is shown (for automated runs).</source>
        <translation>&lt;ms&gt; 毫秒后关闭消息框和窗口并退出；窗口显示后输出 &quot;ostrel: running&quot;（用于自动运行）。</translation>
    </message>
    <message>
        <source>Save a picture of the main window to &lt;file&gt; and exit.</source>
        <translation>把主窗口的图片存入 &lt;file&gt; 后退出。</translation>
    </message>
    <message>
        <source>Save a picture of the about window to &lt;file&gt; and exit.</source>
        <translation>把“关于”窗口的图片存入 &lt;file&gt; 后退出。</translation>
    </message>
    <message>
        <source>Save a picture of the message box a second copy of the program shows to &lt;file&gt; and exit.</source>
        <translation>把程序第二次启动时显示的消息框的图片存入 &lt;file&gt; 后退出。</translation>
    </message>
    <message>
        <source>The language of the window: en, zh_CN or source (the texts as written). Default: the choice of the Language menu, else the system&apos;s locale.</source>
        <translation>窗口的语言：en、zh_CN 或 source（程序中写的原文）。默认：“语言”菜单中的选择，否则按系统的区域设置。</translation>
    </message>
    <message>
        <source>Finds, configures and exercises networked relay modules.</source>
        <translation>搜索、配置和测试网络继电器模块。</translation>
    </message>
</context>
<context>
    <name>ConfigProtocol</name>
    <message>
        <source>没有可用的网络适配器（IPv4），请检查网络连接！</source>
        <translation>没有可用的网络适配器（IPv4），请检查网络连接！</translation>
    </message>
    <message>
        <source>网络适配器%1没有可用的IPv4地址，请检查网络连接！</source>
        <translation>网络适配器%1没有可用的IPv4地址，请检查网络连接！</translation>
    </message>
    <message>
        <source>现在切换到设置模式</source>
        <translation>现在切换到设置模式</translation>
    </message>
    <message>
        <source>无法打开UDP端口%1，可能已被其他程序占用，没有发送搜索：%2</source>
        <translation>无法打开UDP端口%1，可能已被其他程序占用，没有发送搜索：%2</translation>
    </message>
    <message>
        <source>搜索: %1</source>
        <translation>搜索: %1</translation>
    </message>
    <message>
        <source>已忽略%1个搜索应答：MAC地址超过%2个字节</source>
        <translation>已忽略%1个搜索应答：MAC地址超过%2个字节</translation>
    </message>
    <message>
        <source>没有模块应答搜索</source>
        <translation>没有模块应答搜索</translation>
    </message>
    <message>
        <source>请选择IP！</source>
        <translation>请选择IP！</translation>
    </message>
</context>
<context>
    <name>Console</name>
    <message>
        <source>请输入正确的目标IP及目标端口号!</source>
        <translation>请输入正确的目标IP及目标端口号!</translation>
    </message>
    <message>
        <source>端口号不正确: &quot;%1&quot;</source>
        <translation>端口号不正确: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>等待客户端超时!</source>
        <translation>等待客户端超时!</translation>
    </message>
    <message>
        <source>输入框不能为空!</source>
        <translation>输入框不能为空!</translation>
    </message>
    <message>
        <source>[not sent: %1]</source>
        <translation>[未发送：%1]</translation>
    </message>
    <message>
        <source>定时时间太长!</source>
        <translation>定时时间太长!</translation>
    </message>
</context>
<context>
    <name>ConsoleWindowView</name>
    <message>
        <source>监听</source>
        <translation>监听</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>电脑IP:</source>
        <translation>电脑IP:</translation>
    </message>
    <message>
        <source>电脑端口：</source>
        <translation>电脑端口：</translation>
    </message>
    <message>
        <source>目的IP：</source>
        <translation>目的IP：</translation>
    </message>
    <message>
        <source>目的端口：</source>
        <translation>目的端口：</translation>
    </message>
    <message>
        <source>建立</source>
        <translation>建立</translation>
    </message>
    <message>
        <source>断开</source>
        <translation>断开</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
</context>
<context>
    <name>ModuleBatch</name>
    <message>
        <source>the module reported the MAC address %1</source>
        <translation>模块报告的MAC地址为 %1</translation>
    </message>
</context>
<context>
    <name>ModuleTable</name>
    <message>
        <source>两个或以上的模块MAC地址、IP地址相同，MAC地址为：%1，IP地址为：%2，请通过串口功能设置</source>
        <translation>两个或以上的模块MAC地址、IP地址相同，MAC地址为：%1，IP地址为：%2，请通过串口功能设置</translation>
    </message>
    <message>
        <source>两模块的MAC地址相同，MAC地址为：%1，IP地址分别为：%2      %3，请通过串口功能设置</source>
        <translation>两模块的MAC地址相同，MAC地址为：%1，IP地址分别为：%2      %3，请通过串口功能设置</translation>
    </message>
    <message>
        <source>两模块的IP地址相同，IP地址为：%1，MAC地址分别为：%2      %3</source>
        <translation>两模块的IP地址相同，IP地址为：%1，MAC地址分别为：%2      %3</translation>
    </message>
</context>
<context>
    <name>SessionResult</name>
    <message>
        <source>版本号为： %1</source>
        <translation>版本号为： %1</translation>
    </message>
    <message>
        <source>连续3次应答错误</source>
        <translation>连续3次应答错误</translation>
    </message>
    <message>
        <source>应答超时</source>
        <translation>应答超时</translation>
    </message>
    <message>
        <source>UDP没建立</source>
        <translation>UDP没建立</translation>
    </message>
    <message>
        <source>请在下拉列表中选择有效的选项！</source>
        <translation>请在下拉列表中选择有效的选项！</translation>
    </message>
    <message>
        <source>设备名称不能超过15个字节</source>
        <translation>设备名称不能超过15个字节</translation>
    </message>
    <message>
        <source>参数过长，命令帧不能超过100个字节</source>
        <translation>参数过长，命令帧不能超过100个字节</translation>
    </message>
    <message>
        <source>模块内部数据已被更改，请稍后重新搜索!</source>
        <translation>模块内部数据已被更改，请稍后重新搜索!</translation>
    </message>
</context>
<context>
    <name>TFrmAbout</name>
    <message>
        <source>关于</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Ostrel V1.01

Configuration and test tool for
Ostrel networked relay modules</source>
        <translation>Ostrel V1.01

Ostrel 网络继电器模块的
配置与测试工具</translation>
    </message>
    <message>
        <source>Settings: %1</source>
        <translation>设置文件：%1</translation>
    </message>
</context>
<context>
    <name>TFrmMain</name>
    <message>
        <source>TCP/IP configuration settings：</source>
        <translation>TCP/IP 配置：</translation>
    </message>
    <message>
        <source>IP and Port：</source>
        <translation>IP 和端口：</translation>
    </message>
    <message>
        <source>Search module </source>
        <translation>搜索模块</translation>
    </message>
    <message>
        <source>Read specification</source>
        <translation>读参数</translation>
    </message>
    <message>
        <source>Factory setting</source>
        <translation>出厂设置</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>一键写入</translation>
    </message>
    <message>
        <source>Work mode：</source>
        <translation>工作模式：</translation>
    </message>
    <message>
        <source>TCP_Server</source>
        <translation>TCP 服务器</translation>
    </message>
    <message>
        <source>TCP_Client</source>
        <translation>TCP 客户端</translation>
    </message>
    <message>
        <source>UDP</source>
        <translation>UDP</translation>
    </message>
    <message>
        <source>UDP_Server</source>
        <translation>UDP 服务器</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>查询</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Module IP：</source>
        <translation>模块IP：</translation>
    </message>
    <message>
        <source>Gateway IP：</source>
        <translation>网关IP：</translation>
    </message>
    <message>
        <source>Destination IP：</source>
        <translation>目的IP：</translation>
    </message>
    <message>
        <source>Subnet mask：</source>
        <translation>子网掩码：</translation>
    </message>
    <message>
        <source>Port：</source>
        <translation>端口：</translation>
    </message>
    <message>
        <source>MAC address：</source>
        <translation>MAC地址：</translation>
    </message>
    <message>
        <source>Destination port：</source>
        <translation>目的端口：</translation>
    </message>
    <message>
        <source>DHCP mode：</source>
        <translation>DHCP模式：</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>开启</translation>
    </message>
    <message>
        <source>Device name：</source>
        <translation>设备名称：</translation>
    </message>
    <message>
        <source>Info display：</source>
        <translation>信息显示：</translation>
    </message>
    <message>
        <source>clear display</source>
        <translation>清除显示</translation>
    </message>
    <message>
        <source>Firmware version</source>
        <translation>固件版本</translation>
    </message>
    <message>
        <source>Ver：</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>波特率：</translation>
    </message>
    <message>
        <source>数据位：</source>
        <translation>数据位：</translation>
    </message>
    <message>
        <source>停止位：</source>
        <translation>停止位：</translation>
    </message>
    <message>
        <source>校验：</source>
        <translation>校验：</translation>
    </message>
    <message>
        <source>None</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>奇</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>偶</translation>
    </message>
    <message>
        <source>Relay：</source>
        <translation>继电器：</translation>
    </message>
    <message>
        <source>Receive：</source>
        <translation>接收：</translation>
    </message>
    <message>
        <source>Command sending：</source>
        <translation>发送命令：</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>Clear send</source>
        <translation>清除发送</translation>
    </message>
    <message>
        <source>Clear receive</source>
        <translation>清除接收</translation>
    </message>
    <message>
        <source>TCP/IP：</source>
        <translation>TCP/IP：</translation>
    </message>
    <message>
        <source>Mode：</source>
        <translation>模式：</translation>
    </message>
    <message>
        <source>TCP server end</source>
        <translation>TCP 服务器</translation>
    </message>
    <message>
        <source>TCP client</source>
        <translation>TCP 客户端</translation>
    </message>
    <message>
        <source>Computer IP：</source>
        <translation>电脑IP：</translation>
    </message>
    <message>
        <source>Computer port：</source>
        <translation>电脑端口：</translation>
    </message>
    <message>
        <source>Listen</source>
        <translation>监听</translation>
    </message>
    <message>
        <source>NoConnect</source>
        <translation>未连接</translation>
    </message>
    <message>
        <source>Relay status：</source>
        <translation>继电器状态：</translation>
    </message>
    <message>
        <source>Relay1</source>
        <translation>继电器1</translation>
    </message>
    <message>
        <source>Relay2</source>
        <translation>继电器2</translation>
    </message>
    <message>
        <source>Relay3</source>
        <translation>继电器3</translation>
    </message>
    <message>
        <source>Relay4</source>
        <translation>继电器4</translation>
    </message>
    <message>
        <source>Relay5</source>
        <translation>继电器5</translation>
    </message>
    <message>
        <source>Relay6</source>
        <translation>继电器6</translation>
    </message>
    <message>
        <source>Relay7</source>
        <translation>继电器7</translation>
    </message>
    <message>
        <source>Relay8</source>
        <translation>继电器8</translation>
    </message>
    <message>
        <source>Relay9</source>
        <translation>继电器9</translation>
    </message>
    <message>
        <source>Relay10</source>
        <translation>继电器10</translation>
    </message>
    <message>
        <source>Relay11</source>
        <translation>继电器11</translation>
    </message>
    <message>
        <source>Relay12</source>
        <translation>继电器12</translation>
    </message>
    <message>
        <source>Relay13</source>
        <translation>继电器13</translation>
    </message>
    <message>
        <source>Relay14</source>
        <translation>继电器14</translation>
    </message>
    <message>
        <source>Relay15</source>
        <translation>继电器15</translation>
    </message>
    <message>
        <source>All relay</source>
        <translation>全部继电器</translation>
    </message>
    <message>
        <source>Status：</source>
        <translation>状态：</translation>
    </message>
    <message>
        <source>Attached</source>
        <translation>吸合</translation>
    </message>
    <message>
        <source>Detatched</source>
        <translation>断开</translation>
    </message>
    <message>
        <source>Timer：</source>
        <translation>定时：</translation>
    </message>
    <message>
        <source>无输入，不定时</source>
        <translation>无输入，不定时</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Input interface status：</source>
        <translation>输入状态：</translation>
    </message>
    <message>
        <source>Interface1</source>
        <translation>输入1</translation>
    </message>
    <message>
        <source>Interface2</source>
        <translation>输入2</translation>
    </message>
    <message>
        <source>Interface3</source>
        <translation>输入3</translation>
    </message>
    <message>
        <source>Interface4</source>
        <translation>输入4</translation>
    </message>
    <message>
        <source>Interface5</source>
        <translation>输入5</translation>
    </message>
    <message>
        <source>Interface6</source>
        <translation>输入6</translation>
    </message>
    <message>
        <source>Interface7</source>
        <translation>输入7</translation>
    </message>
    <message>
        <source>Interface8</source>
        <translation>输入8</translation>
    </message>
    <message>
        <source>Interface9</source>
        <translation>输入9</translation>
    </message>
    <message>
        <source>Interface10</source>
        <translation>输入10</translation>
    </message>
    <message>
        <source>Interface11</source>
        <translation>输入11</translation>
    </message>
    <message>
        <source>Interface12</source>
        <translation>输入12</translation>
    </message>
    <message>
        <source>All interfaces</source>
        <translation>全部输入</translation>
    </message>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Restore settings</source>
        <translation>恢复设置</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Introduction</source>
        <translation>使用说明</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>操作说明：</source>
        <translation>操作说明：</translation>
    </message>
    <message>
        <source>  1、搜索模块 按键：在TCP模式下可用，搜索到的模块将在左边的框内显示</source>
        <translation>  1、搜索模块 按键：在TCP模式下可用，搜索到的模块将在左边的框内显示</translation>
    </message>
    <message>
        <source>  2、读参数 按键：将模块所有可读参数均读取出显示</source>
        <translation>  2、读参数 按键：将模块所有可读参数均读取出显示</translation>
    </message>
    <message>
        <source>  3、出厂设置 按键：将所有的参数恢复为出厂默认值</source>
        <translation>  3、出厂设置 按键：将所有的参数恢复为出厂默认值</translation>
    </message>
    <message>
        <source>  4、一键写入 按键：将所有的参数写入到模块中</source>
        <translation>  4、一键写入 按键：将所有的参数写入到模块中</translation>
    </message>
    <message>
        <source>  5、每个参数都有独立的 查询 及 设置 的按键</source>
        <translation>  5、每个参数都有独立的 查询 及 设置 的按键</translation>
    </message>
    <message>
        <source>软件刚打开默认通讯方式为：UDP</source>
        <translation>软件刚打开默认通讯方式为：UDP</translation>
    </message>
    <message>
        <source>Network adapter</source>
        <translation>网卡</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>System</source>
        <translation>跟随系统</translation>
    </message>
    <message>
        <source>All adapters</source>
        <translation>全部网卡</translation>
    </message>
    <message>
        <source>%1 only</source>
        <translation>仅 %1</translation>
    </message>
    <message>
        <source>%1 (not available)</source>
        <translation>%1（不可用）</translation>
    </message>
</context>
<context>
    <name>TcmSocket</name>
    <message>
        <source>The (blocking) call was canceled through WSACancelBlockingCall.(函数被中断)</source>
        <translation>（阻塞）调用已被 WSACancelBlockingCall 取消（函数被中断）</translation>
    </message>
    <message>
        <source>Attempt to connect datagram socket to broadcast address failed because setsockopt SO_BROADCAST is not enabled; or the requested address is a broadcast address, but the appropriate flag was not set.(无权限)</source>
        <translation>数据报套接字连接广播地址失败：未启用 setsockopt SO_BROADCAST，或请求的地址是广播地址但未设置相应标志（无权限）</translation>
    </message>
    <message>
        <source>The name or the namelen argument is not a valid part of the user address space, the namelen argument is too small, the name argument contains incorrect address format for the associated address family, or the first two bytes of the memory block specified by name does not match the address family associated with the socket descriptor s.(错误地址)</source>
        <translation>name 或 namelen 参数不在用户地址空间内、namelen 太小、name 的地址格式与地址族不符，或 name 所指内存块的前两个字节与套接字的地址族不一致（错误地址）</translation>
    </message>
    <message>
        <source>The socket is not(or is already) bound to an address ,etc.</source>
        <translation>套接字未绑定（或已绑定）地址等</translation>
    </message>
    <message>
        <source>No more socket descriptors are available.(打开过多文件)</source>
        <translation>没有可用的套接字描述符（打开过多文件）</translation>
    </message>
    <message>
        <source>The socket is marked as nonblocking and the requested operation would block,and cannot be completed immediately. </source>
        <translation>套接字为非阻塞模式，请求的操作会阻塞，无法立即完成。</translation>
    </message>
    <message>
        <source>A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a callback function(操作正进行).</source>
        <translation>一个阻塞的 Windows Sockets 1.1 调用正在进行，或服务提供者仍在处理回调函数（操作正进行）</translation>
    </message>
    <message>
        <source>A nonblocking connect call is in progress on the specified socket.(操作正进行)</source>
        <translation>该套接字上的非阻塞连接调用正在进行（操作正进行）</translation>
    </message>
    <message>
        <source>The descriptor is not a socket.</source>
        <translation>该描述符不是套接字。</translation>
    </message>
    <message>
        <source>需要目标地址</source>
        <translation>需要目标地址</translation>
    </message>
    <message>
        <source>The socket is message oriented, and the message is larger than the maximum supported by the underlying transport.(消息过长)</source>
        <translation>套接字面向消息，消息大于底层传输支持的最大长度（消息过长）</translation>
    </message>
    <message>
        <source>The specified protocol is the wrong type for this socket.</source>
        <translation>指定的协议类型不适用于该套接字。</translation>
    </message>
    <message>
        <source>The specified protocol is not supported.</source>
        <translation>不支持指定的协议。</translation>
    </message>
    <message>
        <source>The specified socket type is not supported in this address family.</source>
        <translation>该地址族不支持指定的套接字类型。</translation>
    </message>
    <message>
        <source>MSG_OOB was specified, but the socket is not stream style such as type SOCK_STREAM, out-of-band data is not supported in the communication domain associated with this socket, or the socket is unidirectional and supports only receive operations.</source>
        <translation>指定了 MSG_OOB，但套接字不是 SOCK_STREAM 等流式套接字、其通信域不支持带外数据，或套接字是只能接收的单向套接字。</translation>
    </message>
    <message>
        <source>The specified address family is not supported.(地址类型不被协议支持)</source>
        <translation>不支持指定的地址族（地址类型不被协议支持）</translation>
    </message>
    <message>
        <source>The specified address is already in use(地址已使用).</source>
        <translation>指定的地址已被使用（地址已使用）</translation>
    </message>
    <message>
        <source>The specified address is not available from the local machine.(不能关联到指定地址)</source>
        <translation>本机没有指定的地址（不能关联到指定地址）</translation>
    </message>
    <message>
        <source>The network subsystem or the associated service provider has failed.(网络已关闭).</source>
        <translation>网络子系统或相关服务提供者出错（网络已关闭）</translation>
    </message>
    <message>
        <source>The network cannot be reached from this host at this time.</source>
        <translation>此时无法从本机到达该网络。</translation>
    </message>
    <message>
        <source>The connection has been broken due to the remote host resetting.(网络重置时连接丢失)</source>
        <translation>远程主机重置，连接已断开（网络重置时连接丢失）</translation>
    </message>
    <message>
        <source>The virtual circuit was terminated due to a time-out or other failure. The application should close the socket as it is no longer usable.(软件造成连接取消)</source>
        <translation>虚电路因超时或其他故障而终止，套接字已不可用，应当关闭（软件造成连接取消）</translation>
    </message>
    <message>
        <source>The virtual circuit was reset by the remote side executing a &apos;hard&apos; or &apos;abortive&apos; close. For UPD sockets, the remote host was unable to deliver a previously sent UDP datagram and responded with a &apos;Port Unreachable&apos; ICMP packet. The application should close the socket as it is no longer usable.(连接被对方重置)</source>
        <translation>对方以“硬”关闭或中止方式重置了虚电路；对 UDP 套接字而言，远程主机无法投递先前发送的 UDP 数据报并回复了“端口不可达”ICMP 报文。套接字已不可用，应当关闭（连接被对方重置）</translation>
    </message>
    <message>
        <source>Not enough buffers available, no more socket、connections or other action!</source>
        <translation>缓冲区不足，无法再建立套接字、连接或进行其他操作！</translation>
    </message>
    <message>
        <source>The socket is already connected (connection-oriented sockets only).(已经连接)</source>
        <translation>套接字已经连接（仅限面向连接的套接字）（已经连接）</translation>
    </message>
    <message>
        <source>The socket is not connected.</source>
        <translation>套接字未连接。</translation>
    </message>
    <message>
        <source>he socket has been shut down; it is not possible to send on a socket after shutdown has been invoked with how set to SD_SEND or SD_BOTH.</source>
        <translation>套接字已关闭发送：以 SD_SEND 或 SD_BOTH 调用 shutdown 后不能再发送。</translation>
    </message>
    <message>
        <source>Operation time out,the connection may have be been dropped, because of a network failure or because the system on the other end went down without notice.</source>
        <translation>操作超时：可能因网络故障或对方系统无通知地停机，连接已断开。</translation>
    </message>
    <message>
        <source>The attempt to connect was forcefully rejected.(连接被拒绝)</source>
        <translation>连接尝试被强制拒绝（连接被拒绝）</translation>
    </message>
    <message>
        <source>主机已关闭</source>
        <translation>主机已关闭</translation>
    </message>
    <message>
        <source>The remote host cannot be reached from this host at this time.</source>
        <translation>此时无法从本机到达远程主机。</translation>
    </message>
    <message>
        <source>A successful WSAStartup must occur before using this function.</source>
        <translation>使用此函数前必须先成功调用 WSAStartup。</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>未知错误</translation>
    </message>
    <message>
        <source>socket() failed</source>
        <translation>socket() 调用失败</translation>
    </message>
    <message>
        <source>WSAAsyncSelect() failed</source>
        <translation>WSAAsyncSelect() 调用失败</translation>
    </message>
    <message>
        <source>ioctlsocket() set block mode error</source>
        <translation>ioctlsocket() 设置阻塞模式出错</translation>
    </message>
    <message>
        <source>closesocket() failed</source>
        <translation>closesocket() 调用失败</translation>
    </message>
    <message>
        <source>closesocket() failed to close remote socket</source>
        <translation>closesocket() 未能关闭远程套接字</translation>
    </message>
    <message>
        <source>bind() failed</source>
        <translation>bind() 调用失败</translation>
    </message>
    <message>
        <source>connect() failed</source>
        <translation>connect() 调用失败</translation>
    </message>
    <message>
        <source>accept() failed</source>
        <translation>accept() 调用失败</translation>
    </message>
    <message>
        <source>listen() failed</source>
        <translation>listen() 调用失败</translation>
    </message>
    <message>
        <source>send to() failed</source>
        <translation>sendto() 调用失败</translation>
    </message>
    <message>
        <source>send() failed</source>
        <translation>send() 调用失败</translation>
    </message>
    <message>
        <source>send() refused: %1 bytes still wait for this connection</source>
        <translation>send() 被拒绝：该连接仍有 %1 个字节等待发送</translation>
    </message>
    <message>
        <source>recv() failed</source>
        <translation>recv() 调用失败</translation>
    </message>
    <message>
        <source>recvfrom() failed</source>
        <translation>recvfrom() 调用失败</translation>
    </message>
    <message>
        <source>getpeername() failt!</source>
        <translation>getpeername() 调用失败！</translation>
    </message>
</context>
<context>
    <name>TranscriptView</name>
    <message>
        <source>&amp;Copy</source>
        <translation>复制(&amp;C)</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>全选</translation>
    </message>
</context>
<context>
    <name>cli</name>
    <message>
        <source>Print one JSON document on standard output.</source>
        <translation>在标准输出上打印一个 JSON 文档。</translation>
    </message>
    <message>
        <source>Print nothing but errors (and the document of --json).</source>
        <translation>只打印错误（以及 --json 的文档）。</translation>
    </message>
    <message>
        <source>Give up after &lt;MS&gt; milliseconds.</source>
        <translation>&lt;MS&gt; 毫秒后放弃。</translation>
    </message>
    <message>
        <source>Use only the network adapter with that name or address (see &apos;adapters&apos;).</source>
        <translation>只使用该名称或地址的网络适配器（见 &apos;adapters&apos;）。</translation>
    </message>
    <message>
        <source>Send at most &lt;N&gt; frames per second (default %1, at least %2); every frame is a broadcast that every module on the segment receives.</source>
        <translation>每秒最多发送 &lt;N&gt; 帧（默认 %1，至少 %2）；每帧都是广播，网段上的每个模块都会收到。</translation>
    </message>
    <message>
        <source>Print what would be sent, and send nothing.</source>
        <translation>打印将要发送的内容，但不发送。</translation>
    </message>
    <message>
        <source>Talk to at most &lt;N&gt; modules at once (default %1, at most a tenth of the rate), each at the window&apos;s pace.</source>
        <translation>同时最多与 &lt;N&gt; 个模块通信（默认 %1，最多为发送速率的十分之一），每个模块按窗口程序的节奏进行。</translation>
    </message>
    <message>
        <source>Change every module (all) without asking; needed where standard input is not a terminal.</source>
        <translation>不经询问即更改所有模块（all）；标准输入不是终端时必须给出。</translation>
    </message>
    <message>
        <source>Displays this help.</source>
        <translation>显示本帮助。</translation>
    </message>
    <message>
        <source>Speak &lt;LANG&gt;: %1 (default: the system&apos;s locale; English unless it is Chinese)</source>
        <translation>使用语言 &lt;LANG&gt;：%1（默认按系统区域设置；非中文区域为英文）</translation>
    </message>
    <message>
        <source>Lists the commands, or with a command&apos;s name prints that command&apos;s help.</source>
        <translation>列出所有命令；给出命令名时打印该命令的帮助。</translation>
    </message>
    <message>
        <source>The command to print the help of.</source>
        <translation>要打印帮助的命令。</translation>
    </message>
    <message>
        <source>Usage: %1 %2%3

%4</source>
        <translation>用法：%1 %2%3

%4</translation>
    </message>
    <message>
        <source>no command &quot;%1&quot;</source>
        <translation>没有命令“%1”</translation>
    </message>
    <message>
        <source>; did you mean &quot;%1&quot;?</source>
        <translation>；您是指“%1”吗？</translation>
    </message>
    <message>
        <source>Usage: %1 COMMAND [options] [arguments]

Finds, reads, configures and switches networked relay modules from a terminal or a script.

Commands:
</source>
        <translation>用法：%1 COMMAND [options] [arguments]

在终端或脚本中搜索、读取、配置和开关网络继电器模块。

命令：
</translation>
    </message>
    <message>
        <source>Displays help; with a command, that command&apos;s.</source>
        <translation>显示帮助；给出命令时显示该命令的帮助。</translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation>显示版本信息。</translation>
    </message>
    <message>
        <source>
&apos;%1 help COMMAND&apos; tells which of the options a command takes; &apos;man %1-COMMAND&apos; says more.

Exit codes: 0 all done, 1 some module failed (or standard output could not be written), 2 usage error, 3 nothing found or the network failed, 130 and 143 interrupted by SIGINT and SIGTERM.
</source>
        <translation>
&apos;%1 help COMMAND&apos; 说明命令接受哪些选项；&apos;man %1-COMMAND&apos; 有更多说明。

退出码：0 全部完成，1 有模块失败（或无法写入标准输出），2 用法错误，3 未找到任何模块或网络出错，130 和 143 被 SIGINT 和 SIGTERM 中断。
</translation>
    </message>
    <message>
        <source>ostrel-cli: error: standard output: %1
</source>
        <translation>ostrel-cli: 错误：标准输出：%1
</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>没有给出命令</translation>
    </message>
    <message>
        <source>%1: --timeout takes milliseconds from 1 to 3600000</source>
        <translation>%1：--timeout 取 1 到 3600000 毫秒</translation>
    </message>
    <message>
        <source>%1: --rate takes frames per second from %2 to 1000000</source>
        <translation>%1：--rate 取每秒 %2 到 1000000 帧</translation>
    </message>
    <message>
        <source>%1: --parallel takes a number from 1 to %2</source>
        <translation>%1：--parallel 取 1 到 %2 之间的数</translation>
    </message>
    <message>
        <source>ostrel-cli: %1: ending the steps under way (%1 again ends at once)
</source>
        <translation>ostrel-cli: %1：正在结束进行中的步骤（再次 %1 立即结束）
</translation>
    </message>
    <message>
        <source>interrupted (%1)</source>
        <translation>已中断（%1）</translation>
    </message>
    <message>
        <source>interrupted by %1: the steps under way ended, no other was started</source>
        <translation>被 %1 中断：进行中的步骤已结束，未开始其他步骤</translation>
    </message>
    <message>
        <source>--adapter %1: no such adapter; there are: %2</source>
        <translation>--adapter %1：没有这个适配器；现有：%2</translation>
    </message>
    <message>
        <source>none</source>
        <translation>无</translation>
    </message>
    <message>
        <source>%1: would give every module the same address; set it one module at a time</source>
        <translation>%1：会使所有模块得到同一个地址；请逐个模块设置</translation>
    </message>
    <message>
        <source>Send values that would cut a module off the network (a mask that is not contiguous, an address no module can have, a router address outside the subnet).</source>
        <translation>发送会使模块脱离网络的值（不连续的掩码、模块不能使用的地址、子网之外的网关地址）。</translation>
    </message>
    <message>
        <source>Lists the network adapters a search goes out of: name, address, mask, MAC.</source>
        <translation>列出搜索所经过的网络适配器：名称、地址、掩码、MAC。</translation>
    </message>
    <message>
        <source>takes no arguments</source>
        <translation>不接受参数</translation>
    </message>
    <message>
        <source>no adapter is up, can broadcast and has an IPv4 address</source>
        <translation>没有已启用、可广播且有 IPv4 地址的适配器</translation>
    </message>
    <message>
        <source>--dry-run takes MAC addresses only: finding the modules of other targets would broadcast</source>
        <translation>--dry-run 只接受 MAC 地址：查找其他目标的模块需要广播</translation>
    </message>
    <message>
        <source>A module&apos;s MAC address, its IP address, or &quot;all&quot; (every module a search finds).</source>
        <translation>模块的 MAC 地址、IP 地址，或“all”（搜索到的所有模块）。</translation>
    </message>
    <message>
        <source>Asks every module to answer (a broadcast out of each adapter) and lists those that did: MAC, IP, adapter. Modules that share an address are warned of.</source>
        <translation>请所有模块应答（经每个适配器广播），并列出应答的模块：MAC、IP、适配器。地址相同的模块会给出警告。</translation>
    </message>
    <message>
        <source>Wait at most &lt;MS&gt; milliseconds for answers (default %1); the search ends %2 ms after the last answer.</source>
        <translation>最多等待应答 &lt;MS&gt; 毫秒（默认 %1）；最后一个应答 %2 毫秒后搜索结束。</translation>
    </message>
    <message>
        <source>--wait takes milliseconds from 1 to 60000</source>
        <translation>--wait 取 1 到 60000 毫秒</translation>
    </message>
    <message>
        <source>Reads all parameters of modules (and with --uart their serial settings).</source>
        <translation>读取模块的全部参数（加 --uart 时还读取串口参数）。</translation>
    </message>
    <message>
        <source>Read the serial settings too.</source>
        <translation>同时读取串口参数。</translation>
    </message>
    <message>
        <source>all: changes every module that answers; give --yes to do so where nobody can be asked (standard input is not a terminal)</source>
        <translation>all：会更改所有应答的模块；无法询问时（标准输入不是终端）请给出 --yes</translation>
    </message>
    <message>
        <source>%1 the %2 modules that answered?</source>
        <translation>%1应答的 %2 个模块？</translation>
    </message>
    <message>
        <source>not confirmed; nothing was changed</source>
        <translation>未确认；没有更改任何内容</translation>
    </message>
    <message>
        <source>Sets parameters of modules, each once the one before is confirmed.</source>
        <translation>设置模块参数，前一项确认后再设置下一项。</translation>
    </message>
    <message>
        <source>key=value; see below.</source>
        <translation>key=value；见下文。</translation>
    </message>
    <message>
        <source>no key=value given</source>
        <translation>没有给出 key=value</translation>
    </message>
    <message>
        <source>Set %1 of</source>
        <translation>设置以下参数：%1，对象为</translation>
    </message>
    <message>
        <source>Restores the factory settings of modules (&quot;AT+DEFAULT&quot;).</source>
        <translation>恢复模块的出厂设置（“AT+DEFAULT”）。</translation>
    </message>
    <message>
        <source>Restore the factory settings of</source>
        <translation>恢复出厂设置：</translation>
    </message>
    <message>
        <source>Writes the parameters a file holds to modules: a CFG.ini as the window saves it, or a document as &apos;read --json&apos; prints it.</source>
        <translation>把文件中的参数写入模块：窗口程序保存的 CFG.ini，或 &apos;read --json&apos; 打印的文档。</translation>
    </message>
    <message>
        <source>From a CFG.ini: the keys it holds, and no others (a field saved empty or &quot;0&quot; is left out; BaudRate, DataBit, StopBit and Parity go together). From JSON: the &quot;parameters&quot; of its one module (the version is left out).
</source>
        <translation>来自 CFG.ini：只写其中的键（保存为空或“0”的字段略过；BaudRate、DataBit、StopBit 和 Parity 一起写入）。来自 JSON：其唯一模块的“parameters”（版本号略过）。
</translation>
    </message>
    <message>
        <source>The file to write from (needed; - for standard input).</source>
        <translation>要写入的文件（必需；- 表示标准输入）。</translation>
    </message>
    <message>
        <source>--from FILE is needed</source>
        <translation>需要 --from FILE</translation>
    </message>
    <message>
        <source>Write the file&apos;s settings to</source>
        <translation>把文件中的设置写入</translation>
    </message>
    <message>
        <source>Sets each module of a plan to its own settings, reads it back and compares; a summary says which modules are done.</source>
        <translation>按计划把每个模块设为各自的设置，再读回比较；最后汇总完成的模块。</translation>
    </message>
    <message>
        <source>PLAN.csv: a first line naming the columns, &quot;module&quot; (the MAC address the module answers to now) and any of the keys below, then one line per module; an empty cell leaves that parameter as it is. PLAN.json: a document as &apos;read --json&apos; prints it; each entry&apos;s &quot;module&quot; and &quot;parameters&quot;.

</source>
        <translation>PLAN.csv：第一行为列名，“module”（模块当前应答的 MAC 地址）及下列任意键，之后每个模块一行；空单元格表示该参数不变。PLAN.json：&apos;read --json&apos; 打印的文档；取每项的“module”和“parameters”。

</translation>
    </message>
    <message>
        <source>The plan: CSV or JSON.</source>
        <translation>计划文件：CSV 或 JSON。</translation>
    </message>
    <message>
        <source>takes one plan</source>
        <translation>只接受一个计划文件</translation>
    </message>
    <message>
        <source>%1 of %2 modules done</source>
        <translation>已完成 %1/%2 个模块</translation>
    </message>
    <message>
        <source>not done within %1 ms (--timeout)</source>
        <translation>%1 毫秒内未完成（--timeout）</translation>
    </message>
    <message>
        <source>searching</source>
        <translation>正在搜索</translation>
    </message>
    <message>
        <source>no module answered</source>
        <translation>没有模块应答</translation>
    </message>
    <message>
        <source>%1 answers skipped: their MAC text is not a MAC address</source>
        <translation>跳过了 %1 个应答：其 MAC 文本不是 MAC 地址</translation>
    </message>
    <message>
        <source>adapter %1 has no IPv4 address</source>
        <translation>适配器 %1 没有 IPv4 地址</translation>
    </message>
    <message>
        <source>no reason given</source>
        <translation>未给出原因</translation>
    </message>
    <message>
        <source>shares its MAC address with %1 on %2: every frame to one reaches all; set it through its serial port</source>
        <translation>与 %2 上的 %1 共用 MAC 地址：发给其一的每帧都会到达全部；请通过串口设置</translation>
    </message>
    <message>
        <source>did not answer the search</source>
        <translation>没有应答搜索</translation>
    </message>
    <message>
        <source>%1 is %2, not %3</source>
        <translation>%1 为 %2，而不是 %3</translation>
    </message>
    <message>
        <source>unread</source>
        <translation>未读到</translation>
    </message>
    <message>
        <source>wrote %1</source>
        <translation>已写入 %1</translation>
    </message>
    <message>
        <source>failed at %1 (%2)</source>
        <translation>在 %1 失败（%2）</translation>
    </message>
    <message>
        <source>ostrel-cli: %1
Try &apos;%2&apos;.
</source>
        <translation>ostrel-cli: %1
请试试 &apos;%2&apos;。
</translation>
    </message>
    <message>
        <source>not all of it could be written</source>
        <translation>未能全部写入</translation>
    </message>
    <message>
        <source>relay %1</source>
        <translation>继电器 %1</translation>
    </message>
    <message>
        <source>input %1</source>
        <translation>输入 %1</translation>
    </message>
    <message>
        <source>%1: %2 of %3 answered</source>
        <translation>%1：已应答 %2/%3</translation>
    </message>
    <message>
        <source>no connection within %1 ms</source>
        <translation>%1 毫秒内未能连接</translation>
    </message>
    <message>
        <source>no connection</source>
        <translation>未能连接</translation>
    </message>
    <message>
        <source>nothing listens on that port</source>
        <translation>该端口上没有程序在监听</translation>
    </message>
    <message>
        <source>the command could not be sent</source>
        <translation>命令无法发送</translation>
    </message>
    <message>
        <source>the module answered ERROR</source>
        <translation>模块应答 ERROR</translation>
    </message>
    <message>
        <source>no answer from %1 within %2 ms</source>
        <translation>%2 毫秒内%1没有应答</translation>
    </message>
    <message>
        <source>the module closed the connection without an answer from %1</source>
        <translation>模块关闭了连接，%1没有应答</translation>
    </message>
    <message>
        <source>Connect to the module&apos;s TCP server (the default).</source>
        <translation>连接模块的 TCP 服务器（默认）。</translation>
    </message>
    <message>
        <source>Talk to the module as a UDP peer.</source>
        <translation>以 UDP 对端方式与模块通信。</translation>
    </message>
    <message>
        <source>The module&apos;s address and working port.</source>
        <translation>模块的地址和工作端口。</translation>
    </message>
    <message>
        <source>The relay, 0 for all (the default).</source>
        <translation>继电器编号，0 表示全部（默认）。</translation>
    </message>
    <message>
        <source>The input, 0 for all (the default).</source>
        <translation>输入编号，0 表示全部（默认）。</translation>
    </message>
    <message>
        <source>--tcp or --udp, not both</source>
        <translation>--tcp 或 --udp，不能同时给出</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not HOST:PORT</source>
        <translation>“%1”不是 HOST:PORT</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a number from 0 to %2</source>
        <translation>“%1”不是 0 到 %2 之间的数</translation>
    </message>
    <message>
        <source>Switches a relay of a module in its working mode, and shows the states it answers with.</source>
        <translation>在工作模式下开关模块的继电器，并显示模块应答的状态。</translation>
    </message>
    <message>
        <source>The relay, 1 to 15, or 0 for all.</source>
        <translation>继电器编号，1 到 15，0 表示全部。</translation>
    </message>
    <message>
        <source>on or off.</source>
        <translation>on（开）或 off（关）。</translation>
    </message>
    <message>
        <source>Switch back after &lt;S&gt; time units of the module (sent as given).</source>
        <translation>经过模块的 &lt;S&gt; 个时间单位后自动切回（按原样发送）。</translation>
    </message>
    <message>
        <source>takes HOST:PORT N on|off</source>
        <translation>参数为 HOST:PORT N on|off</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither on nor off</source>
        <translation>“%1”既不是 on 也不是 off</translation>
    </message>
    <message>
        <source>--time takes a number of time units</source>
        <translation>--time 取时间单位数</translation>
    </message>
    <message>
        <source>--time is too long: the command would exceed %1 bytes</source>
        <translation>--time 太长：命令会超过 %1 个字节</translation>
    </message>
    <message>
        <source>Shows the relays of a module in its working mode: on or off, and the time left until one switches back.</source>
        <translation>显示工作模式下模块的继电器：开或关，以及自动切回前的剩余时间。</translation>
    </message>
    <message>
        <source>Shows the inputs of a module in its working mode: on or off.</source>
        <translation>显示工作模式下模块的输入：开或关。</translation>
    </message>
    <message>
        <source>takes HOST:PORT [N]</source>
        <translation>参数为 HOST:PORT [N]</translation>
    </message>
    <message>
        <source>ostrel-cli: error: %1</source>
        <translation>ostrel-cli: 错误：%1</translation>
    </message>
    <message>
        <source>ostrel-cli: warning: %1</source>
        <translation>ostrel-cli: 警告：%1</translation>
    </message>
    <message>
        <source>%1: larger than %2 bytes</source>
        <translation>%1：大于 %2 个字节</translation>
    </message>
    <message>
        <source>%1=%2 is not an item of its list</source>
        <translation>%1=%2 不是其列表中的选项</translation>
    </message>
    <message>
        <source>%1 without %2: the serial settings are written whole</source>
        <translation>有 %1 而没有 %2：串口参数须整体写入</translation>
    </message>
    <message>
        <source>holds no settings under [CFG]</source>
        <translation>[CFG] 下没有任何设置</translation>
    </message>
    <message>
        <source>%1: a value is a string</source>
        <translation>%1：值必须是字符串</translation>
    </message>
    <message>
        <source>%1: %2 at byte %3</source>
        <translation>%1：第 %3 字节处：%2</translation>
    </message>
    <message>
        <source>%1: no &quot;modules&quot; list, as `ostrel-cli read --json` prints</source>
        <translation>%1：没有 `ostrel-cli read --json` 打印的“modules”列表</translation>
    </message>
    <message>
        <source>%1: module %2: not an object</source>
        <translation>%1：模块 %2：不是对象</translation>
    </message>
    <message>
        <source>%1: module %2: no &quot;module&quot; (the MAC address the module answers to)</source>
        <translation>%1：模块 %2：没有“module”（模块应答的 MAC 地址）</translation>
    </message>
    <message>
        <source>%1: module %2: %3</source>
        <translation>%1：模块 %2：%3</translation>
    </message>
    <message>
        <source>line %1: a quote opens a cell that no quote closes</source>
        <translation>第 %1 行：引号开始的单元格没有闭合引号</translation>
    </message>
    <message>
        <source>%1: empty</source>
        <translation>%1：空文件</translation>
    </message>
    <message>
        <source>%1: line 1: column &quot;%2&quot; is not module or a setting key, or comes twice</source>
        <translation>%1：第 1 行：列“%2”不是 module 或设置键，或出现了两次</translation>
    </message>
    <message>
        <source>%1: line 1: no &quot;module&quot; column</source>
        <translation>%1：第 1 行：没有“module”列</translation>
    </message>
    <message>
        <source>%1: line %2: %3</source>
        <translation>%1：第 %2 行：%3</translation>
    </message>
    <message>
        <source>%1 cells where line 1 names %2 columns</source>
        <translation>有 %1 个单元格，而第 1 行有 %2 列</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not the MAC address of a module</source>
        <translation>“%1”不是模块的 MAC 地址</translation>
    </message>
    <message>
        <source>module %1 comes twice</source>
        <translation>模块 %1 出现了两次</translation>
    </message>
    <message>
        <source>%1 %2 is given to two modules</source>
        <translation>%1 %2 被分配给了两个模块</translation>
    </message>
    <message>
        <source>-: could not keep a copy of standard input: %1</source>
        <translation>-：无法保存标准输入的副本：%1</translation>
    </message>
    <message>
        <source>%1: holds %2 modules; write takes one (apply takes many)</source>
        <translation>%1：含有 %2 个模块；write 只接受一个（apply 接受多个）</translation>
    </message>
    <message>
        <source>%1: holds no module</source>
        <translation>%1：不含任何模块</translation>
    </message>
    <message>
        <source>a dotted IPv4 address</source>
        <translation>点分十进制 IPv4 地址</translation>
    </message>
    <message>
        <source>a dotted IPv4 mask, its ones contiguous</source>
        <translation>点分十进制 IPv4 掩码，其中的 1 必须连续</translation>
    </message>
    <message>
        <source>a port from 1 to 65535</source>
        <translation>1 到 65535 的端口</translation>
    </message>
    <message>
        <source>at most %1 bytes in GBK (a Chinese character takes two)</source>
        <translation>GBK 编码最多 %1 个字节（一个汉字占两个）</translation>
    </message>
    <message>
        <source>six hex pairs joined by &apos;:&apos;</source>
        <translation>以“:”连接的六组十六进制数</translation>
    </message>
    <message>
        <source>%1 (one module at a time)</source>
        <translation>%1（每次一个模块）</translation>
    </message>
    <message>
        <source>no such key; the keys are %1</source>
        <translation>没有这个键；可用的键为 %1</translation>
    </message>
    <message>
        <source>is read only</source>
        <translation>只读</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is none of %2</source>
        <translation>“%1”不是 %2 中的任何一项</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a dotted IPv4 address</source>
        <translation>“%1”不是点分十进制 IPv4 地址</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a port from 1 to 65535</source>
        <translation>“%1”不是 1 到 65535 的端口</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not six hex pairs joined by &apos;:&apos;</source>
        <translation>“%1”不是以“:”连接的六组十六进制数</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not %2</source>
        <translation>“%1”不符合 %2</translation>
    </message>
    <message>
        <source>control characters cannot be sent</source>
        <translation>不能发送控制字符</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has characters that GBK cannot encode</source>
        <translation>“%1”含有 GBK 无法编码的字符</translation>
    </message>
    <message>
        <source>at most %1 bytes (&quot;%2&quot; has %3 bytes in GBK)</source>
        <translation>最多 %1 个字节（“%2”的 GBK 编码有 %3 个字节）</translation>
    </message>
    <message>
        <source>%1 is not a contiguous mask: the module would reach no one (--force sends it anyway)</source>
        <translation>%1 不是连续的掩码：模块将无法与任何设备通信（--force 仍会发送）</translation>
    </message>
    <message>
        <source>%1 is no address a module can have: it would be cut off (--force sends it anyway)</source>
        <translation>%1 不是模块可用的地址：模块将脱离网络（--force 仍会发送）</translation>
    </message>
    <message>
        <source>%1 is outside the module&apos;s subnet: the module could not reach it (--force sends it anyway)</source>
        <translation>%1 在模块的子网之外：模块无法到达它（--force 仍会发送）</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not key=value</source>
        <translation>“%1”不是 key=value</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>被拒绝</translation>
    </message>
    <message>
        <source>answered wrongly three times</source>
        <translation>连续三次应答错误</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>无应答</translation>
    </message>
    <message>
        <source>the network is not open</source>
        <translation>网络未打开</translation>
    </message>
    <message>
        <source>the frame could not be sent</source>
        <translation>帧无法发送</translation>
    </message>
    <message>
        <source>no item of its list</source>
        <translation>不是其列表中的选项</translation>
    </message>
    <message>
        <source>name too long</source>
        <translation>名称太长</translation>
    </message>
    <message>
        <source>the frame would be longer than %1 bytes</source>
        <translation>帧会超过 %1 个字节</translation>
    </message>
    <message>
        <source>Keys and their values (items of a list in any case):
</source>
        <translation>键及其取值（列表选项不区分大小写）：
</translation>
    </message>
    <message>
        <source>%1: given twice</source>
        <translation>%1：给出了两次</translation>
    </message>
    <message>
        <source>no module named: give a MAC address, an IP address or &quot;all&quot;</source>
        <translation>没有指定模块：请给出 MAC 地址、IP 地址或“all”</translation>
    </message>
    <message>
        <source>&quot;all&quot; names every module and goes alone</source>
        <translation>“all”表示所有模块，只能单独使用</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither a MAC address, an IP address nor &quot;all&quot;</source>
        <translation>“%1”既不是 MAC 地址、IP 地址，也不是“all”</translation>
    </message>
    <message>
        <source>%1: connecting</source>
        <translation>%1：正在连接</translation>
    </message>
    <message>
        <source>UDP port %1 could not be opened (%2): another program holds it, such as an Ostrel window that has searched, which keeps the port until it is closed; nothing was sent</source>
        <translation>无法打开 UDP 端口 %1（%2）：端口被其他程序占用，例如已搜索过的 Ostrel 窗口程序（关闭前一直占用该端口）；没有发送任何内容</translation>
    </message>
    <message>
        <source>%1 of its frames were still queued when the search ended (--rate): modules behind their adapters were not asked</source>
        <translation>搜索结束时仍有 %1 帧在排队（--rate）：这些适配器后面的模块未被询问</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>ADDRESS</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>MASK</source>
        <translation>掩码</translation>
    </message>
    <message>
        <source>MODULE</source>
        <translation>模块</translation>
    </message>
    <message>
        <source>ADAPTER</source>
        <translation>适配器</translation>
    </message>
    <message>
        <source>STATUS</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>DETAIL</source>
        <translation>详情</translation>
    </message>
    <message>
        <source>STEP</source>
        <translation>步骤</translation>
    </message>
    <message>
        <source>FRAME</source>
        <translation>帧</translation>
    </message>
    <message>
        <source>SEND</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>RELAY</source>
        <translation>继电器</translation>
    </message>
    <message>
        <source>STATE</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>REMAINING</source>
        <translation>剩余时间</translation>
    </message>
    <message>
        <source>INPUT</source>
        <translation>输入</translation>
    </message>
    <message>
        <source>
Arguments:
</source>
        <translation>
参数：
</translation>
    </message>
    <message>
        <source>
Options:
</source>
        <translation>
选项：
</translation>
    </message>
</context>
<context>
    <name>language</name>
    <message>
        <source>unknown language &quot;%1&quot; (use %2)</source>
        <translation>未知语言“%1”（可用 %2）</translation>
    </message>
</context>
<context>
    <name>ostrel</name>
    <message>
        <source>程序已经运行!</source>
        <translation>程序已经运行!</translation>
    </message>
</context>
<context>
    <name>ostrel-sim</name>
    <message>
        <source>bad delay in fault &apos;%1&apos;</source>
        <translation>故障“%1”中的延迟无效</translation>
    </message>
    <message>
        <source>unknown fault &apos;%1&apos;</source>
        <translation>未知故障“%1”</translation>
    </message>
    <message>
        <source>cannot read %1</source>
        <translation>无法读取 %1</translation>
    </message>
    <message>
        <source>%1: unknown section [%2]</source>
        <translation>%1：未知的节 [%2]</translation>
    </message>
    <message>
        <source>%1: not a readable INI file</source>
        <translation>%1：不是可读的 INI 文件</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not key=value</source>
        <translation>“%1”不是 key=value</translation>
    </message>
    <message>
        <source>unknown module key &apos;%1&apos;</source>
        <translation>未知的模块键“%1”</translation>
    </message>
    <message>
        <source>value &apos;%1&apos; is not acceptable for %2</source>
        <translation>值“%1”不适用于 %2</translation>
    </message>
    <message>
        <source>Usage: ostrel-sim [options]

Plays one or many Ostrel relay modules on this machine (Linux only), for
trying and testing the configuration tool without hardware. Each module
answers the search and the AT configuration commands on UDP port 5000 from
its own IPv4 address, and in its working mode acts as TCP server, TCP client
or UDP peer with 15 relays and 12 inputs. Every module address must be an
address of this host or network namespace (see tools/lab.sh for a private
lab). Replies go by unicast to the sender unless --broadcast is given.

Options:
  -h, --help             this text
  --lang LANG            en, zh_CN or source (default: the system&apos;s locale;
                         English unless it is Chinese)
  --modules N            number of modules (default 1); they take consecutive
                         addresses from --first-ip
  --first-ip ADDRESS     address of the first module (default: the first up,
                         non-loopback IPv4 address of this host/namespace)
  --module KEYS          one module, &quot;key=value;key=value...&quot; with the module
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
  --gap MS               pause between the replies to an &quot;all&quot; query (20 ms)
  --quit-on-eof          quit when standard input closes
  --no-control           do not read control commands from standard input

Module keys (factory values; &quot;AT+DEFAULT&quot; restores them):
  ip       address the module answers from (the +IP value follows it)
  mac      MAC text (default 02:00 followed by the address bytes in hex)
  mode     work mode 0 TCP_Server (default), 1 TCP_Client, 2 UDP, 3 UDP_Server
  gateway  192.168.1.1      mask   255.255.255.0    dip    192.168.1.100
  port     12345 (module&apos;s own working port)        dport  6000
  uart     9600,8,1,0       dhcp   0                name   Relay (GBK, &lt;=15 bytes)
  version  V1.0 (cannot be set by a command)
  fault    comma-separated faults, see below
  echo     1 = working mode echoes text that is not a relay/input command

Faults (configuration channel, per module):
  silent       no reply at all            wrong      reply &quot;ERROR&quot; instead
  delay:MS     reply MS ms later          twice      every reply sent twice
  short        replies of 19 bytes        no-gt      replies without &quot;&gt;&quot;
  no-cr        replies without CR/LF      long       values padded by 64 bytes
  broadcast    reply by broadcast         unicast    reply to the sender only
  none         clear the faults before it
  Sharing another module&apos;s MAC or IP: give two modules the same mac or ip.

Working mode: &quot;AT+STACH&lt;n&gt;=?&quot;, &quot;AT+STACH&lt;n&gt;=&lt;s&gt;[,&lt;t&gt;]&quot; and &quot;AT+OCCH&lt;n&gt;=?&quot;
(n = 0 means all) are answered with &quot;+STACH&lt;r&gt;=&lt;s&gt;,&lt;remaining&gt;&quot; and
&quot;+OCCH&lt;r&gt;=&lt;s&gt;&quot; lines (r = &apos;0&apos; + number); n = 0 gives one reply per relay or
input, each sent separately, --gap ms apart. A relay set with time t switches
back after t units. Out-of-range numbers or states give &quot;ERROR&quot;.

Control commands (standard input, one per line; &lt;m&gt; is 1-based or &quot;all&quot;;
each answers &quot;ok&quot; or &quot;error ...&quot; on standard output):
  input &lt;m&gt; &lt;n&gt; on|off        set input n (0 = all)
  relay &lt;m&gt; &lt;n&gt; on|off [t]    set relay n (0 = all), optionally timed
  fault &lt;m&gt; &lt;faults&gt;          add faults (&quot;none&quot; clears)
  echo &lt;m&gt; on|off             working-mode echo
  set &lt;m&gt; &lt;key&gt; &lt;value&gt;       change a current parameter
  factory &lt;m&gt; &lt;key&gt; &lt;value&gt;   change a factory value
  default &lt;m&gt;                 restore the factory values (as &quot;AT+DEFAULT&quot;)
  state &lt;m&gt;                   &quot;state &lt;ip&gt; relays &lt;15 bits&gt; inputs &lt;12 bits&gt;&quot;
  params &lt;m&gt;                  &quot;param &lt;ip&gt; &lt;NAME&gt; &lt;value&gt;&quot; lines
  list                        &quot;module &lt;i&gt; &lt;ip&gt; &lt;mac&gt;&quot; lines
  quit                        stop

At start it prints &quot;module &lt;i&gt; &lt;ip&gt; &lt;mac&gt;&quot; per module, then &quot;ready&quot;.

Configuration files: JSON {&quot;modules&quot;: [{&quot;ip&quot;: &quot;...&quot;, &quot;fault&quot;: &quot;twice&quot;}],
&quot;defaults&quot;: {&quot;name&quot;: &quot;...&quot;}, &quot;config-port&quot;: 5000, &quot;broadcast&quot;: true ...};
INI with [general] (the options above without &quot;--&quot;), [defaults] and one
[moduleN] section per module.
</source>
        <translation>用法：ostrel-sim [选项]

在本机模拟一个或多个 Ostrel 继电器模块（仅限 Linux），无需硬件即可试用和
测试配置工具。每个模块从自己的 IPv4 地址在 UDP 端口 5000 上应答搜索和 AT
配置命令；在工作模式下作为 TCP 服务器、TCP 客户端或 UDP 对端，带 15 路继电器
和 12 路输入。每个模块地址都必须是本机或本网络命名空间的地址（私有实验网见
tools/lab.sh）。除非给出 --broadcast，应答以单播发给发送方。

选项：
  -h, --help             本帮助
  --lang LANG            en、zh_CN 或 source（默认按系统区域设置；
                         非中文区域为英文）
  --modules N            模块数量（默认 1）；从 --first-ip 起使用连续地址
  --first-ip ADDRESS     第一个模块的地址（默认：本机/命名空间中第一个已启用的
                         非回环 IPv4 地址）
  --module KEYS          一个模块，&quot;key=value;key=value...&quot;，键见下文；
                         重复给出可定义多个模块（取代 --modules/--first-ip）
  --config FILE          从 FILE 读取设置：.json 或 .ini（见下文）
  --KEY VALUE            所有模块某个键的出厂值，例如
                         --mode 2、--dip 192.168.1.10、--name 继电器、
                         --fault delay:200
  --echo                 工作模式：把其他文本原样发回
  --broadcast            以广播（255.255.255.255）应答配置帧
                         （只在私有实验网内使用）
  --config-port PORT     配置端口（默认 5000）
  --tick MS              继电器一个时间单位的长度（默认 1000 毫秒）
  --gap MS               &quot;all&quot; 查询各应答之间的间隔（20 毫秒）
  --quit-on-eof          标准输入关闭时退出
  --no-control           不从标准输入读取控制命令

模块键（出厂值；&quot;AT+DEFAULT&quot; 恢复这些值）：
  ip       模块应答所用的地址（+IP 的值与之相同）
  mac      MAC 文本（默认 02:00 后接地址各字节的十六进制）
  mode     工作模式 0 TCP_Server（默认）、1 TCP_Client、2 UDP、3 UDP_Server
  gateway  192.168.1.1      mask   255.255.255.0    dip    192.168.1.100
  port     12345（模块自己的工作端口）              dport  6000
  uart     9600,8,1,0       dhcp   0                name   Relay（GBK，&lt;=15 字节）
  version  V1.0（不能用命令设置）
  fault    以逗号分隔的故障，见下文
  echo     1 = 工作模式下回显不是继电器/输入命令的文本

故障（配置通道，按模块）：
  silent       完全不应答                 wrong      以 &quot;ERROR&quot; 代替应答
  delay:MS     延迟 MS 毫秒应答           twice      每个应答发送两次
  short        应答只有 19 字节           no-gt      应答不带 &quot;&gt;&quot;
  no-cr        应答不带 CR/LF             long       值填充 64 字节
  broadcast    以广播应答                 unicast    只应答发送方
  none         清除此前的故障
  与其他模块共用 MAC 或 IP：给两个模块相同的 mac 或 ip。

工作模式：&quot;AT+STACH&lt;n&gt;=?&quot;、&quot;AT+STACH&lt;n&gt;=&lt;s&gt;[,&lt;t&gt;]&quot; 和 &quot;AT+OCCH&lt;n&gt;=?&quot;
（n = 0 表示全部）以 &quot;+STACH&lt;r&gt;=&lt;s&gt;,&lt;remaining&gt;&quot; 和 &quot;+OCCH&lt;r&gt;=&lt;s&gt;&quot; 行应答
（r = &apos;0&apos; + 编号）；n = 0 时每路继电器或输入各应答一次，分别发送，间隔 --gap
毫秒。带时间 t 设置的继电器在 t 个单位后切回。编号或状态超出范围时应答 &quot;ERROR&quot;。

控制命令（标准输入，每行一条；&lt;m&gt; 从 1 开始，或 &quot;all&quot;；
每条在标准输出上应答 &quot;ok&quot; 或 &quot;error ...&quot;）：
  input &lt;m&gt; &lt;n&gt; on|off        设置输入 n（0 = 全部）
  relay &lt;m&gt; &lt;n&gt; on|off [t]    设置继电器 n（0 = 全部），可定时
  fault &lt;m&gt; &lt;faults&gt;          添加故障（&quot;none&quot; 清除）
  echo &lt;m&gt; on|off             工作模式回显
  set &lt;m&gt; &lt;key&gt; &lt;value&gt;       更改当前参数
  factory &lt;m&gt; &lt;key&gt; &lt;value&gt;   更改出厂值
  default &lt;m&gt;                 恢复出厂值（同 &quot;AT+DEFAULT&quot;）
  state &lt;m&gt;                   &quot;state &lt;ip&gt; relays &lt;15 位&gt; inputs &lt;12 位&gt;&quot;
  params &lt;m&gt;                  &quot;param &lt;ip&gt; &lt;NAME&gt; &lt;value&gt;&quot; 行
  list                        &quot;module &lt;i&gt; &lt;ip&gt; &lt;mac&gt;&quot; 行
  quit                        停止

启动时每个模块打印一行 &quot;module &lt;i&gt; &lt;ip&gt; &lt;mac&gt;&quot;，然后打印 &quot;ready&quot;。

配置文件：JSON {&quot;modules&quot;: [{&quot;ip&quot;: &quot;...&quot;, &quot;fault&quot;: &quot;twice&quot;}],
&quot;defaults&quot;: {&quot;name&quot;: &quot;...&quot;}, &quot;config-port&quot;: 5000, &quot;broadcast&quot;: true ...}；
INI 含 [general]（上述选项去掉 &quot;--&quot;）、[defaults] 以及每个模块一个 [moduleN] 节。
</translation>
    </message>
    <message>
        <source> (see --help)</source>
        <translation>（见 --help）</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>多余的参数“%1”</translation>
    </message>
    <message>
        <source>empty --module</source>
        <translation>--module 为空</translation>
    </message>
    <message>
        <source>bad value &apos;%1&apos; for %2</source>
        <translation>%2 的值“%1”无效</translation>
    </message>
    <message>
        <source>--modules needs a number from 1 to 4096</source>
        <translation>--modules 需要 1 到 4096 之间的数</translation>
    </message>
    <message>
        <source>no non-loopback IPv4 address here; use --first-ip</source>
        <translation>这里没有非回环 IPv4 地址；请使用 --first-ip</translation>
    </message>
    <message>
        <source>bad address &apos;%1&apos;</source>
        <translation>地址“%1”无效</translation>
    </message>
    <message>
        <source>module without a valid ip (&apos;%1&apos;)</source>
        <translation>模块没有有效的 ip（“%1”）</translation>
    </message>
    <message>
        <source>address %1 is not an address of this host: %2</source>
        <translation>地址 %1 不是本机的地址：%2</translation>
    </message>
    <message>
        <source>cannot bind UDP port %1: %2</source>
        <translation>无法绑定 UDP 端口 %1：%2</translation>
    </message>
    <message>
        <source>no module &apos;%1&apos; (1 to %2 or all)</source>
        <translation>没有模块“%1”（1 到 %2 或 all）</translation>
    </message>
</context>
<context>
    <name>settings</name>
    <message>
        <source>it is not a regular file</source>
        <translation>它不是普通文件</translation>
    </message>
    <message>
        <source>the file is larger than %1 bytes</source>
        <translation>文件大于 %1 个字节</translation>
    </message>
    <message>
        <source>the file is not text in GBK, nor in UTF-8 or UTF-16 with a byte-order mark</source>
        <translation>文件不是 GBK 文本，也不是带字节顺序标记的 UTF-8 或 UTF-16 文本</translation>
    </message>
    <message>
        <source>the folder %1 could not be created: %2</source>
        <translation>无法创建文件夹 %1：%2</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1:
%2

The file was not changed.</source>
        <translation>无法把设置保存到 %1：
%2

文件未被更改。</translation>
    </message>
    <message>
        <source>a copy of its text could not be kept in %1: %2</source>
        <translation>无法在 %1 中保留其文本的副本：%2</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1:
%2

%3 A copy of its previous text is in %4.</source>
        <translation>无法把设置保存到 %1：
%2

%3 其原先文本的副本保存在 %4。</translation>
    </message>
    <message>
        <source>The file was not changed.</source>
        <translation>文件未被更改。</translation>
    </message>
    <message>
        <source>The file could not be restored and may be damaged.</source>
        <translation>文件无法恢复，可能已损坏。</translation>
    </message>
    <message>
        <source>the value of &quot;%1&quot; holds a line break</source>
        <translation>“%1”的值含有换行符</translation>
    </message>
    <message>
        <source>The settings could not be read from %1:
%2

The fields were not changed.</source>
        <translation>无法从 %1 读取设置：
%2

各字段未被更改。</translation>
    </message>
    <message>
        <source>The settings file %1 holds no item number under %2, so those boxes were left as they were. Everything else was restored.</source>
        <translation>设置文件 %1 中 %2 下没有选项编号，因此这些下拉框保持不变。其他内容均已恢复。</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>它是一个文件夹</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>文件不存在</translation>
    </message>
    <message>
        <source>the folder does not exist</source>
        <translation>文件夹不存在</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>没有权限</translation>
    </message>
</context>
<context>
    <name>socketFailure</name>
    <message>
        <source>Permission denied</source>
        <translation>权限不足</translation>
    </message>
    <message>
        <source>Invalid argument</source>
        <translation>参数无效</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>打开的文件过多</translation>
    </message>
    <message>
        <source>Message too long</source>
        <translation>消息过长</translation>
    </message>
    <message>
        <source>Address family not supported by protocol</source>
        <translation>协议不支持该地址族</translation>
    </message>
    <message>
        <source>Address already in use</source>
        <translation>地址已被使用</translation>
    </message>
    <message>
        <source>Cannot assign requested address</source>
        <translation>无法分配请求的地址</translation>
    </message>
    <message>
        <source>Network is down</source>
        <translation>网络已关闭</translation>
    </message>
    <message>
        <source>Network is unreachable</source>
        <translation>网络不可达</translation>
    </message>
    <message>
        <source>Network dropped connection on reset</source>
        <translation>网络重置时连接丢失</translation>
    </message>
    <message>
        <source>Software caused connection abort</source>
        <translation>软件造成连接中止</translation>
    </message>
    <message>
        <source>Connection reset by peer</source>
        <translation>连接被对方重置</translation>
    </message>
    <message>
        <source>No buffer space available</source>
        <translation>没有可用的缓冲区空间</translation>
    </message>
    <message>
        <source>Transport endpoint is already connected</source>
        <translation>传输端点已经连接</translation>
    </message>
    <message>
        <source>Transport endpoint is not connected</source>
        <translation>传输端点未连接</translation>
    </message>
    <message>
        <source>Broken pipe</source>
        <translation>管道已断开</translation>
    </message>
    <message>
        <source>Connection timed out</source>
        <translation>连接超时</translation>
    </message>
    <message>
        <source>Connection refused</source>
        <translation>连接被拒绝</translation>
    </message>
    <message>
        <source>Host is down</source>
        <translation>主机已关闭</translation>
    </message>
    <message>
        <source>No route to host</source>
        <translation>没有到主机的路由</translation>
    </message>
    <message>
        <source>Network error %1</source>
        <translation>网络错误 %1</translation>
    </message>
</context>
</TS>
