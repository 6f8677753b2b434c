<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Command</name>
    <message>
        <source>发送AT命令</source>
        <translation>Sending the AT command</translation>
    </message>
    <message>
        <source>AT命令响应成功</source>
        <translation>AT command answered</translation>
    </message>
    <message>
        <source>AT命令响应失败</source>
        <translation>AT command not answered correctly</translation>
    </message>
    <message>
        <source>发送恢复出厂设置命令</source>
        <translation>Sending the factory default command</translation>
    </message>
    <message>
        <source>恢复出厂设置命令响应成功</source>
        <translation>Factory default command answered</translation>
    </message>
    <message>
        <source>恢复出厂设置命令响应失败</source>
        <translation>Factory default command failed</translation>
    </message>
    <message>
        <source>设置模块出厂默认参数</source>
        <translation>Restoring the module&apos;s factory settings</translation>
    </message>
    <message>
        <source>查询工作模式</source>
        <translation>Reading the work mode</translation>
    </message>
    <message>
        <source>查询工作模式成功</source>
        <translation>Work mode read</translation>
    </message>
    <message>
        <source>查询工作模式失败</source>
        <translation>Reading the work mode failed</translation>
    </message>
    <message>
        <source>设置模块工作模式</source>
        <translation>Setting the work mode</translation>
    </message>
    <message>
        <source>设置工作模式成功</source>
        <translation>Work mode set</translation>
    </message>
    <message>
        <source>设置工作模式失败</source>
        <translation>Setting the work mode failed</translation>
    </message>
    <message>
        <source>查询网关IP地址</source>
        <translation>Reading the gateway address</translation>
    </message>
    <message>
        <source>查询网关IP地址成功</source>
        <translation>Gateway address read</translation>
    </message>
    <message>
        <source>查询网关IP地址失败</source>
        <translation>Reading the gateway address failed</translation>
    </message>
    <message>
        <source>设置网关IP地址</source>
        <translation>Setting the gateway address</translation>
    </message>
    <message>
        <source>设置网关IP成功</source>
        <translation>Gateway address set</translation>
    </message>
    <message>
        <source>设置网关IP失败</source>
        <translation>Setting the gateway address failed</translation>
    </message>
    <message>
        <source>查询子网掩码</source>
        <translation>Reading the subnet mask</translation>
    </message>
    <message>
        <source>查询子网掩码成功</source>
        <translation>Subnet mask read</translation>
    </message>
    <message>
        <source>查询子网掩码失败</source>
        <translation>Reading the subnet mask failed</translation>
    </message>
    <message>
        <source>设置子网掩码</source>
        <translation>Setting the subnet mask</translation>
    </message>
    <message>
        <source>设置子网掩码成功</source>
        <translation>Subnet mask set</translation>
    </message>
    <message>
        <source>设置子网掩码失败</source>
        <translation>Setting the subnet mask failed</translation>
    </message>
    <message>
        <source>查询模块IP地址</source>
        <translation>Reading the module&apos;s IP address</translation>
    </message>
    <message>
        <source>查询模块IP地址成功</source>
        <translation>Module IP address read</translation>
    </message>
    <message>
        <source>查询模块IP地址失败</source>
        <translation>Reading the module&apos;s IP address failed</translation>
    </message>
    <message>
        <source>设置模块IP地址</source>
        <translation>Setting the module&apos;s IP address</translation>
    </message>
    <message>
        <source>设置模块IP成功</source>
        <translation>Module IP address set</translation>
    </message>
    <message>
        <source>设置模块IP失败</source>
        <translation>Setting the module&apos;s IP address failed</translation>
    </message>
    <message>
        <source>查询模块目的IP地址</source>
        <translation>Reading the destination IP address</translation>
    </message>
    <message>
        <source>查询模块目的IP地址成功</source>
        <translation>Destination IP address read</translation>
    </message>
    <message>
        <source>查询模块目的IP地址失败</source>
        <translation>Reading the destination IP address failed</translation>
    </message>
    <message>
        <source>设置目的IP</source>
        <translation>Setting the destination IP address</translation>
    </message>
    <message>
        <source>设置模块目的IP成功</source>
        <translation>Destination IP address set</translation>
    </message>
    <message>
        <source>设置模块目的IP失败</source>
        <translation>Setting the destination IP address failed</translation>
    </message>
    <message>
        <source>查询模块端口</source>
        <translation>Reading the module&apos;s port</translation>
    </message>
    <message>
        <source>查询模块端口成功</source>
        <translation>Module port read</translation>
    </message>
    <message>
        <source>查询模块端口失败</source>
        <translation>Reading the module&apos;s port failed</translation>
    </message>
    <message>
        <source>设置模块端口号</source>
        <translation>Setting the module&apos;s port</translation>
    </message>
    <message>
        <source>设置模块端口成功</source>
        <translation>Module port set</translation>
    </message>
    <message>
        <source>设置模块端口失败</source>
        <translation>Setting the module&apos;s port failed</translation>
    </message>
    <message>
        <source>查询模块目的端口</source>
        <translation>Reading the destination port</translation>
    </message>
    <message>
        <source>查询模块目的端口成功</source>
        <translation>Destination port read</translation>
    </message>
    <message>
        <source>查询模块目的端口失败</source>
        <translation>Reading the destination port failed</translation>
    </message>
    <message>
        <source>设置目的端口号</source>
        <translation>Setting the destination port</translation>
    </message>
    <message>
        <source>设置模块目的端口成功</source>
        <translation>Destination port set</translation>
    </message>
    <message>
        <source>设置模块目的端口失败</source>
        <translation>Setting the destination port failed</translation>
    </message>
    <message>
        <source>查询DCHP模式</source>
        <translation>Reading the DHCP mode</translation>
    </message>
    <message>
        <source>查询模块DCHP模式成功</source>
        <translation>DHCP mode read</translation>
    </message>
    <message>
        <source>查询模块DCHP模式失败</source>
        <translation>Reading the DHCP mode failed</translation>
    </message>
    <message>
        <source>设置DCHP模式</source>
        <translation>Setting the DHCP mode</translation>
    </message>
    <message>
        <source>设置DCHP模式成功</source>
        <translation>DHCP mode set</translation>
    </message>
    <message>
        <source>设置DCHP模式失败</source>
        <translation>Setting the DHCP mode failed</translation>
    </message>
    <message>
        <source>查询设备名称</source>
        <translation>Reading the device name</translation>
    </message>
    <message>
        <source>查询模块设备名称成功</source>
        <translation>Device name read</translation>
    </message>
    <message>
        <source>查询模块设备名称失败</source>
        <translation>Reading the device name failed</translation>
    </message>
    <message>
        <source>设置模块设备名称</source>
        <translation>Setting the device name</translation>
    </message>
    <message>
        <source>设置模块设备名称成功</source>
        <translation>Device name set</translation>
    </message>
    <message>
        <source>设置模块设备名称失败</source>
        <translation>Setting the device name failed</translation>
    </message>
    <message>
        <source>查询串口参数</source>
        <translation>Reading the serial settings</translation>
    </message>
    <message>
        <source>查询模块串口参数成功</source>
        <translation>Serial settings read</translation>
    </message>
    <message>
        <source>查询模块串口参数失败</source>
        <translation>Reading the serial settings failed</translation>
    </message>
    <message>
        <source>设置模块串口参数</source>
        <translation>Setting the serial settings</translation>
    </message>
    <message>
        <source>设置模块串口参数成功</source>
        <translation>Serial settings set</translation>
    </message>
    <message>
        <source>设置模块串口参数失败</source>
        <translation>Setting the serial settings failed</translation>
    </message>
    <message>
        <source>查询MAC地址</source>
        <translation>Reading the MAC address</translation>
    </message>
    <message>
        <source>查询模块MAC地址成功</source>
        <translation>MAC address read</translation>
    </message>
    <message>
        <source>查询模块MAC地址失败</source>
        <translation>Reading the MAC address failed</translation>
    </message>
    <message>
        <source>设置模块MAC地址</source>
        <translation>Setting the MAC address</translation>
    </message>
    <message>
        <source>设置模块MAC地址成功</source>
        <translation>MAC address set</translation>
    </message>
    <message>
        <source>设置模块MAC地址失败</source>
        <translation>Setting the MAC address failed</translation>
    </message>
    <message>
        <source>读取版本号</source>
        <translation>Reading the version</translation>
    </message>
    <message>
        <source>读取版本号成功</source>
        <translation>Version read</translation>
    </message>
    <message>
        <source>读取版本号失败</source>
        <translation>Reading the version failed</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Close message boxes and the window after &lt;ms&gt; milliseconds and exit; prints &quot;ostrel: running&quot; once the window is shown (for automated runs).</source>
        <translation>Close message boxes and the window after &lt;ms&gt; milliseconds and exit; prints &quot;ostrel: running&quot; once the window is shown (for automated runs).</translation>
    </message>
    <message>
        <source>Save a picture of the main window to &lt;file&gt; and exit.</source>
        <translation>Save a picture of the main window to &lt;file&gt; and exit.</translation>
    </message>
    <message>
        <source>Save a picture of the about window to &lt;file&gt; and exit.</source>
        <translation>Save a picture of the about window to &lt;file&gt; and exit.</translation>
    </message>
    <message>
        <source>Save a picture of the message box a second copy of the program shows to &lt;file&gt; and exit.</source>
        <translation>Save a picture of the message box a second copy of the program shows to &lt;file&gt; and exit.</translation>
    </message>
    <message>
        <source>The language of the window: en, zh_CN or source (the texts as written). Default: the choice of the Language menu, else the system&apos;s locale.</source>
        <translation>The language of the window: en, zh_CN or source (the texts as written). Default: the choice of the Language menu, else the system&apos;s locale.</translation>
    </message>
    <message>
        <source>Finds, configures and exercises networked relay modules.</source>
        <translation>Finds, configures and exercises networked relay modules.</translation>
    </message>
</context>
<context>
    <name>ConfigProtocol</name>
    <message>
        <source>没有可用的网络适配器（IPv4），请检查网络连接！</source>
        <translation>No network adapter with IPv4 is available; please check the network connection!</translation>
    </message>
    <message>
        <source>网络适配器%1没有可用的IPv4地址，请检查网络连接！</source>
        <translation>Network adapter %1 has no IPv4 address; please check the network connection!</translation>
    </message>
    <message>
        <source>现在切换到设置模式</source>
        <translation>Now in configuration mode</translation>
    </message>
    <message>
        <source>无法打开UDP端口%1，可能已被其他程序占用，没有发送搜索：%2</source>
        <translation>UDP port %1 could not be opened (another program may hold it); no search was sent: %2</translation>
    </message>
    <message>
        <source>搜索: %1</source>
        <translation>Searching: %1</translation>
    </message>
    <message>
        <source>已忽略%1个搜索应答：MAC地址超过%2个字节</source>
        <translation>Ignored %1 search answers: MAC address longer than %2 bytes</translation>
    </message>
    <message>
        <source>没有模块应答搜索</source>
        <translation>No module answered the search</translation>
    </message>
    <message>
        <source>请选择IP！</source>
        <translation>Please select a module first!</translation>
    </message>
</context>
<context>
    <name>Console</name>
    <message>
        <source>请输入正确的目标IP及目标端口号!</source>
        <translation>Please enter a valid destination IP address and port!</translation>
    </message>
    <message>
        <source>端口号不正确: &quot;%1&quot;</source>
        <translation>Invalid port number: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>等待客户端超时!</source>
        <translation>No client connected in time!</translation>
    </message>
    <message>
        <source>输入框不能为空!</source>
        <translation>The input box cannot be empty!</translation>
    </message>
    <message>
        <source>[not sent: %1]</source>
        <translation>[not sent: %1]</translation>
    </message>
    <message>
        <source>定时时间太长!</source>
        <translation>The time is too long!</translation>
    </message>
</context>
<context>
    <name>ConsoleWindowView</name>
    <message>
        <source>监听</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>电脑IP:</source>
        <translation>Computer IP:</translation>
    </message>
    <message>
        <source>电脑端口：</source>
        <translation>Computer port:</translation>
    </message>
    <message>
        <source>目的IP：</source>
        <translation>Remote IP:</translation>
    </message>
    <message>
        <source>目的端口：</source>
        <translation>Remote port:</translation>
    </message>
    <message>
        <source>建立</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>断开</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>ModuleBatch</name>
    <message>
        <source>the module reported the MAC address %1</source>
        <translation>the module reported the MAC address %1</translation>
    </message>
</context>
<context>
    <name>ModuleTable</name>
    <message>
        <source>两个或以上的模块MAC地址、IP地址相同，MAC地址为：%1，IP地址为：%2，请通过串口功能设置</source>
        <translation>Two or more modules have the same MAC and IP address (MAC %1, IP %2); please set them through the serial port</translation>
    </message>
    <message>
        <source>两模块的MAC地址相同，MAC地址为：%1，IP地址分别为：%2      %3，请通过串口功能设置</source>
        <translation>Two modules have the same MAC address %1 (IP addresses %2 and %3); please set them through the serial port</translation>
    </message>
    <message>
        <source>两模块的IP地址相同，IP地址为：%1，MAC地址分别为：%2      %3</source>
        <translation>Two modules have the same IP address %1 (MAC addresses %2 and %3)</translation>
    </message>
</context>
<context>
    <name>SessionResult</name>
    <message>
        <source>版本号为： %1</source>
        <translation>Version: %1</translation>
    </message>
    <message>
        <source>连续3次应答错误</source>
        <translation>Wrong answer three times in a row</translation>
    </message>
    <message>
        <source>应答超时</source>
        <translation>No answer (timed out)</translation>
    </message>
    <message>
        <source>UDP没建立</source>
        <translation>The UDP connection is not open</translation>
    </message>
    <message>
        <source>请在下拉列表中选择有效的选项！</source>
        <translation>Please choose a valid item from the list!</translation>
    </message>
    <message>
        <source>设备名称不能超过15个字节</source>
        <translation>The device name cannot be longer than 15 bytes</translation>
    </message>
    <message>
        <source>参数过长，命令帧不能超过100个字节</source>
        <translation>The value is too long: a command frame cannot exceed 100 bytes</translation>
    </message>
    <message>
        <source>模块内部数据已被更改，请稍后重新搜索!</source>
        <translation>The module&apos;s settings have changed; please search again shortly!</translation>
    </message>
</context>
<context>
    <name>TFrmAbout</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Ostrel V1.01

Configuration and test tool for
Ostrel networked relay modules</source>
        <translation>Ostrel V1.01

Configuration and test tool for
Ostrel networked relay modules</translation>
    </message>
    <message>
        <source>Settings: %1</source>
        <translation>Settings: %1</translation>
    </message>
</context>
<context>
    <name>TFrmMain</name>
    <message>
        <source>TCP/IP configuration settings：</source>
        <translation>TCP/IP configuration settings:</translation>
    </message>
    <message>
        <source>IP and Port：</source>
        <translation>IP and Port:</translation>
    </message>
    <message>
        <source>Search module </source>
        <translation>Search module </translation>
    </message>
    <message>
        <source>Read specification</source>
        <translation>Read parameters</translation>
    </message>
    <message>
        <source>Factory setting</source>
        <translation>Factory setting</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Work mode：</source>
        <translation>Work mode:</translation>
    </message>
    <message>
        <source>TCP_Server</source>
        <translation>TCP_Server</translation>
    </message>
    <message>
        <source>TCP_Client</source>
        <translation>TCP_Client</translation>
    </message>
    <message>
        <source>UDP</source>
        <translation>UDP</translation>
    </message>
    <message>
        <source>UDP_Server</source>
        <translation>UDP_Server</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>Module IP：</source>
        <translation>Module IP:</translation>
    </message>
    <message>
        <source>Gateway IP：</source>
        <translation>Gateway IP:</translation>
    </message>
    <message>
        <source>Destination IP：</source>
        <translation>Destination IP:</translation>
    </message>
    <message>
        <source>Subnet mask：</source>
        <translation>Subnet mask:</translation>
    </message>
    <message>
        <source>Port：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>MAC address：</source>
        <translation>MAC address:</translation>
    </message>
    <message>
        <source>Destination port：</source>
        <translation>Destination port:</translation>
    </message>
    <message>
        <source>DHCP mode：</source>
        <translation>DHCP mode:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Device name：</source>
        <translation>Device name:</translation>
    </message>
    <message>
        <source>Info display：</source>
        <translation>Info display:</translation>
    </message>
    <message>
        <source>clear display</source>
        <translation>Clear display</translation>
    </message>
    <message>
        <source>Firmware version</source>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>Ver：</source>
        <translation>Ver:</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>数据位：</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>停止位：</source>
        <translation>Stop bits:</translation>
    </message>
    <message>
        <source>校验：</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>Relay：</source>
        <translation>Relay:</translation>
    </message>
    <message>
        <source>Receive：</source>
        <translation>Receive:</translation>
    </message>
    <message>
        <source>Command sending：</source>
        <translation>Command sending:</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>Clear send</source>
        <translation>Clear send</translation>
    </message>
    <message>
        <source>Clear receive</source>
        <translation>Clear receive</translation>
    </message>
    <message>
        <source>TCP/IP：</source>
        <translation>TCP/IP:</translation>
    </message>
    <message>
        <source>Mode：</source>
        <translation>Mode:</translation>
    </message>
    <message>
        <source>TCP server end</source>
        <translation>TCP server end</translation>
    </message>
    <message>
        <source>TCP client</source>
        <translation>TCP client</translation>
    </message>
    <message>
        <source>Computer IP：</source>
        <translation>Computer IP:</translation>
    </message>
    <message>
        <source>Computer port：</source>
        <translation>Computer port:</translation>
    </message>
    <message>
        <source>Listen</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>NoConnect</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Relay status：</source>
        <translation>Relay status:</translation>
    </message>
    <message>
        <source>Relay1</source>
        <translation>Relay1</translation>
    </message>
    <message>
        <source>Relay2</source>
        <translation>Relay2</translation>
    </message>
    <message>
        <source>Relay3</source>
        <translation>Relay3</translation>
    </message>
    <message>
        <source>Relay4</source>
        <translation>Relay4</translation>
    </message>
    <message>
        <source>Relay5</source>
        <translation>Relay5</translation>
    </message>
    <message>
        <source>Relay6</source>
        <translation>Relay6</translation>
    </message>
    <message>
        <source>Relay7</source>
        <translation>Relay7</translation>
    </message>
    <message>
        <source>Relay8</source>
        <translation>Relay8</translation>
    </message>
    <message>
        <source>Relay9</source>
        <translation>Relay9</translation>
    </message>
    <message>
        <source>Relay10</source>
        <translation>Relay10</translation>
    </message>
    <message>
        <source>Relay11</source>
        <translation>Relay11</translation>
    </message>
    <message>
        <source>Relay12</source>
        <translation>Relay12</translation>
    </message>
    <message>
        <source>Relay13</source>
        <translation>Relay13</translation>
    </message>
    <message>
        <source>Relay14</source>
        <translation>Relay14</translation>
    </message>
    <message>
        <source>Relay15</source>
        <translation>Relay15</translation>
    </message>
    <message>
        <source>All relay</source>
        <translation>All relay</translation>
    </message>
    <message>
        <source>Status：</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>Attached</source>
        <translation>Attached</translation>
    </message>
    <message>
        <source>Detatched</source>
        <translation>Detached</translation>
    </message>
    <message>
        <source>Timer：</source>
        <translation>Timer:</translation>
    </message>
    <message>
        <source>无输入，不定时</source>
        <translation>Empty: no time limit</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Input interface status：</source>
        <translation>Input status:</translation>
    </message>
    <message>
        <source>Interface1</source>
        <translation>Input1</translation>
    </message>
    <message>
        <source>Interface2</source>
        <translation>Input2</translation>
    </message>
    <message>
        <source>Interface3</source>
        <translation>Input3</translation>
    </message>
    <message>
        <source>Interface4</source>
        <translation>Input4</translation>
    </message>
    <message>
        <source>Interface5</source>
        <translation>Input5</translation>
    </message>
    <message>
        <source>Interface6</source>
        <translation>Input6</translation>
    </message>
    <message>
        <source>Interface7</source>
        <translation>Input7</translation>
    </message>
    <message>
        <source>Interface8</source>
        <translation>Input8</translation>
    </message>
    <message>
        <source>Interface9</source>
        <translation>Input9</translation>
    </message>
    <message>
        <source>Interface10</source>
        <translation>Input10</translation>
    </message>
    <message>
        <source>Interface11</source>
        <translation>Input11</translation>
    </message>
    <message>
        <source>Interface12</source>
        <translation>Input12</translation>
    </message>
    <message>
        <source>All interfaces</source>
        <translation>All inputs</translation>
    </message>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Restore settings</source>
        <translation>Restore settings</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Introduction</source>
        <translation>Introduction</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>操作说明：</source>
        <translation>Instructions:</translation>
    </message>
    <message>
        <source>  1、搜索模块 按键：在TCP模式下可用，搜索到的模块将在左边的框内显示</source>
        <translation>  1. &quot;Search module&quot;: available in TCP mode; the modules found are listed in the box on the left</translation>
    </message>
    <message>
        <source>  2、读参数 按键：将模块所有可读参数均读取出显示</source>
        <translation>  2. &quot;Read parameters&quot;: reads every readable parameter of the module and shows it</translation>
    </message>
    <message>
        <source>  3、出厂设置 按键：将所有的参数恢复为出厂默认值</source>
        <translation>  3. &quot;Factory setting&quot;: restores every parameter to its factory default</translation>
    </message>
    <message>
        <source>  4、一键写入 按键：将所有的参数写入到模块中</source>
        <translation>  4. &quot;Write&quot;: writes every parameter to the module</translation>
    </message>
    <message>
        <source>  5、每个参数都有独立的 查询 及 设置 的按键</source>
        <translation>  5. Each parameter has a &quot;Search&quot; and a &quot;Setting&quot; button of its own</translation>
    </message>
    <message>
        <source>软件刚打开默认通讯方式为：UDP</source>
        <translation>Communication mode at start: UDP</translation>
    </message>
    <message>
        <source>Network adapter</source>
        <translation>Network adapter</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>All adapters</source>
        <translation>All adapters</translation>
    </message>
    <message>
        <source>%1 only</source>
        <translation>%1 only</translation>
    </message>
    <message>
        <source>%1 (not available)</source>
        <translation>%1 (not available)</translation>
    </message>
</context>
<context>
    <name>TcmSocket</name>
    <message>
        <source>The (blocking) call was canceled through WSACancelBlockingCall.(函数被中断)</source>
        <translation>The (blocking) call was canceled through WSACancelBlockingCall (call interrupted).</translation>
    </message>
    <message>
        <source>Attempt to connect datagram socket to broadcast address failed because setsockopt SO_BROADCAST is not enabled; or the requested address is a broadcast address, but the appropriate flag was not set.(无权限)</source>
        <translation>Attempt to connect datagram socket to broadcast address failed because setsockopt SO_BROADCAST is not enabled; or the requested address is a broadcast address, but the appropriate flag was not set (permission denied).</translation>
    </message>
    <message>
        <source>The name or the namelen argument is not a valid part of the user address space, the namelen argument is too small, the name argument contains incorrect address format for the associated address family, or the first two bytes of the memory block specified by name does not match the address family associated with the socket descriptor s.(错误地址)</source>
        <translation>The name or the namelen argument is not a valid part of the user address space, the namelen argument is too small, the name argument contains incorrect address format for the associated address family, or the first two bytes of the memory block specified by name does not match the address family associated with the socket descriptor s (bad address).</translation>
    </message>
    <message>
        <source>The socket is not(or is already) bound to an address ,etc.</source>
        <translation>The socket is not(or is already) bound to an address ,etc.</translation>
    </message>
    <message>
        <source>No more socket descriptors are available.(打开过多文件)</source>
        <translation>No more socket descriptors are available (too many open files).</translation>
    </message>
    <message>
        <source>The socket is marked as nonblocking and the requested operation would block,and cannot be completed immediately. </source>
        <translation>The socket is marked as nonblocking and the requested operation would block,and cannot be completed immediately. </translation>
    </message>
    <message>
        <source>A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a callback function(操作正进行).</source>
        <translation>A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a callback function (operation in progress).</translation>
    </message>
    <message>
        <source>A nonblocking connect call is in progress on the specified socket.(操作正进行)</source>
        <translation>A nonblocking connect call is in progress on the specified socket (operation in progress).</translation>
    </message>
    <message>
        <source>The descriptor is not a socket.</source>
        <translation>The descriptor is not a socket.</translation>
    </message>
    <message>
        <source>需要目标地址</source>
        <translation>Destination address required.</translation>
    </message>
    <message>
        <source>The socket is message oriented, and the message is larger than the maximum supported by the underlying transport.(消息过长)</source>
        <translation>The socket is message oriented, and the message is larger than the maximum supported by the underlying transport (message too long).</translation>
    </message>
    <message>
        <source>The specified protocol is the wrong type for this socket.</source>
        <translation>The specified protocol is the wrong type for this socket.</translation>
    </message>
    <message>
        <source>The specified protocol is not supported.</source>
        <translation>The specified protocol is not supported.</translation>
    </message>
    <message>
        <source>The specified socket type is not supported in this address family.</source>
        <translation>The specified socket type is not supported in this address family.</translation>
    </message>
    <message>
        <source>MSG_OOB was specified, but the socket is not stream style such as type SOCK_STREAM, out-of-band data is not supported in the communication domain associated with this socket, or the socket is unidirectional and supports only receive operations.</source>
        <translation>MSG_OOB was specified, but the socket is not stream style such as type SOCK_STREAM, out-of-band data is not supported in the communication domain associated with this socket, or the socket is unidirectional and supports only receive operations.</translation>
    </message>
    <message>
        <source>The specified address family is not supported.(地址类型不被协议支持)</source>
        <translation>The specified address family is not supported (address family not supported by protocol).</translation>
    </message>
    <message>
        <source>The specified address is already in use(地址已使用).</source>
        <translation>The specified address is already in use (address in use).</translation>
    </message>
    <message>
        <source>The specified address is not available from the local machine.(不能关联到指定地址)</source>
        <translation>The specified address is not available from the local machine (cannot assign requested address).</translation>
    </message>
    <message>
        <source>The network subsystem or the associated service provider has failed.(网络已关闭).</source>
        <translation>The network subsystem or the associated service provider has failed (network is down).</translation>
    </message>
    <message>
        <source>The network cannot be reached from this host at this time.</source>
        <translation>The network cannot be reached from this host at this time.</translation>
    </message>
    <message>
        <source>The connection has been broken due to the remote host resetting.(网络重置时连接丢失)</source>
        <translation>The connection has been broken due to the remote host resetting (connection lost on network reset).</translation>
    </message>
    <message>
        <source>The virtual circuit was terminated due to a time-out or other failure. The application should close the socket as it is no longer usable.(软件造成连接取消)</source>
        <translation>The virtual circuit was terminated due to a time-out or other failure. The application should close the socket as it is no longer usable (connection aborted by software).</translation>
    </message>
    <message>
        <source>The virtual circuit was reset by the remote side executing a &apos;hard&apos; or &apos;abortive&apos; close. For UPD sockets, the remote host was unable to deliver a previously sent UDP datagram and responded with a &apos;Port Unreachable&apos; ICMP packet. The application should close the socket as it is no longer usable.(连接被对方重置)</source>
        <translation>The virtual circuit was reset by the remote side executing a &apos;hard&apos; or &apos;abortive&apos; close. For UDP sockets, the remote host was unable to deliver a previously sent UDP datagram and responded with a &apos;Port Unreachable&apos; ICMP packet. The application should close the socket as it is no longer usable (connection reset by peer).</translation>
    </message>
    <message>
        <source>Not enough buffers available, no more socket、connections or other action!</source>
        <translation>Not enough buffers available, no more sockets, connections or other actions!</translation>
    </message>
    <message>
        <source>The socket is already connected (connection-oriented sockets only).(已经连接)</source>
        <translation>The socket is already connected (connection-oriented sockets only).</translation>
    </message>
    <message>
        <source>The socket is not connected.</source>
        <translation>The socket is not connected.</translation>
    </message>
    <message>
        <source>he socket has been shut down; it is not possible to send on a socket after shutdown has been invoked with how set to SD_SEND or SD_BOTH.</source>
        <translation>The socket has been shut down; it is not possible to send on a socket after shutdown has been invoked with how set to SD_SEND or SD_BOTH.</translation>
    </message>
    <message>
        <source>Operation time out,the connection may have be been dropped, because of a network failure or because the system on the other end went down without notice.</source>
        <translation>Operation time out,the connection may have be been dropped, because of a network failure or because the system on the other end went down without notice.</translation>
    </message>
    <message>
        <source>The attempt to connect was forcefully rejected.(连接被拒绝)</source>
        <translation>The attempt to connect was forcefully rejected (connection refused).</translation>
    </message>
    <message>
        <source>主机已关闭</source>
        <translation>The host is down.</translation>
    </message>
    <message>
        <source>The remote host cannot be reached from this host at this time.</source>
        <translation>The remote host cannot be reached from this host at this time.</translation>
    </message>
    <message>
        <source>A successful WSAStartup must occur before using this function.</source>
        <translation>A successful WSAStartup must occur before using this function.</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>socket() failed</source>
        <translation>socket() failed</translation>
    </message>
    <message>
        <source>WSAAsyncSelect() failed</source>
        <translation>WSAAsyncSelect() failed</translation>
    </message>
    <message>
        <source>ioctlsocket() set block mode error</source>
        <translation>ioctlsocket() set block mode error</translation>
    </message>
    <message>
        <source>closesocket() failed</source>
        <translation>closesocket() failed</translation>
    </message>
    <message>
        <source>closesocket() failed to close remote socket</source>
        <translation>closesocket() failed to close remote socket</translation>
    </message>
    <message>
        <source>bind() failed</source>
        <translation>bind() failed</translation>
    </message>
    <message>
        <source>connect() failed</source>
        <translation>connect() failed</translation>
    </message>
    <message>
        <source>accept() failed</source>
        <translation>accept() failed</translation>
    </message>
    <message>
        <source>listen() failed</source>
        <translation>listen() failed</translation>
    </message>
    <message>
        <source>send to() failed</source>
        <translation>send to() failed</translation>
    </message>
    <message>
        <source>send() failed</source>
        <translation>send() failed</translation>
    </message>
    <message>
        <source>send() refused: %1 bytes still wait for this connection</source>
        <translation>send() refused: %1 bytes still wait for this connection</translation>
    </message>
    <message>
        <source>recv() failed</source>
        <translation>recv() failed</translation>
    </message>
    <message>
        <source>recvfrom() failed</source>
        <translation>recvfrom() failed</translation>
    </message>
    <message>
        <source>getpeername() failt!</source>
        <translation>getpeername() failed!</translation>
    </message>
</context>
<context>
    <name>TranscriptView</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
</context>
<context>
    <name>cli</name>
    <message>
        <source>Print one JSON document on standard output.</source>
        <translation>Print one JSON document on standard output.</translation>
    </message>
    <message>
        <source>Print nothing but errors (and the document of --json).</source>
        <translation>Print nothing but errors (and the document of --json).</translation>
    </message>
    <message>
        <source>Give up after &lt;MS&gt; milliseconds.</source>
        <translation>Give up after &lt;MS&gt; milliseconds.</translation>
    </message>
    <message>
        <source>Use only the network adapter with that name or address (see &apos;adapters&apos;).</source>
        <translation>Use only the network adapter with that name or address (see &apos;adapters&apos;).</translation>
    </message>
    <message>
        <source>Send at most &lt;N&gt; frames per second (default %1, at least %2); every frame is a broadcast that every module on the segment receives.</source>
        <translation>Send at most &lt;N&gt; frames per second (default %1, at least %2); every frame is a broadcast that every module on the segment receives.</translation>
    </message>
    <message>
        <source>Print what would be sent, and send nothing.</source>
        <translation>Print what would be sent, and send nothing.</translation>
    </message>
    <message>
        <source>Talk to at most &lt;N&gt; modules at once (default %1, at most a tenth of the rate), each at the window&apos;s pace.</source>
        <translation>Talk to at most &lt;N&gt; modules at once (default %1, at most a tenth of the rate), each at the window&apos;s pace.</translation>
    </message>
    <message>
        <source>Change every module (all) without asking; needed where standard input is not a terminal.</source>
        <translation>Change every module (all) without asking; needed where standard input is not a terminal.</translation>
    </message>
    <message>
        <source>Displays this help.</source>
        <translation>Displays this help.</translation>
    </message>
    <message>
        <source>Speak &lt;LANG&gt;: %1 (default: the system&apos;s locale; English unless it is Chinese)</source>
        <translation>Speak &lt;LANG&gt;: %1 (default: the system&apos;s locale; English unless it is Chinese)</translation>
    </message>
    <message>
        <source>Lists the commands, or with a command&apos;s name prints that command&apos;s help.</source>
        <translation>Lists the commands, or with a command&apos;s name prints that command&apos;s help.</translation>
    </message>
    <message>
        <source>The command to print the help of.</source>
        <translation>The command to print the help of.</translation>
    </message>
    <message>
        <source>Usage: %1 %2%3

%4</source>
        <translation>Usage: %1 %2%3

%4</translation>
    </message>
    <message>
        <source>no command &quot;%1&quot;</source>
        <translation>no command &quot;%1&quot;</translation>
    </message>
    <message>
        <source>; did you mean &quot;%1&quot;?</source>
        <translation>; did you mean &quot;%1&quot;?</translation>
    </message>
    <message>
        <source>Usage: %1 COMMAND [options] [arguments]

Finds, reads, configures and switches networked relay modules from a terminal or a script.

Commands:
</source>
        <translation>Usage: %1 COMMAND [options] [arguments]

Finds, reads, configures and switches networked relay modules from a terminal or a script.

Commands:
</translation>
    </message>
    <message>
        <source>Displays help; with a command, that command&apos;s.</source>
        <translation>Displays help; with a command, that command&apos;s.</translation>
    </message>
    <message>
        <source>Displays version information.</source>
        <translation>Displays version information.</translation>
    </message>
    <message>
        <source>
&apos;%1 help COMMAND&apos; tells which of the options a command takes; &apos;man %1-COMMAND&apos; says more.

Exit codes: 0 all done, 1 some module failed (or standard output could not be written), 2 usage error, 3 nothing found or the network failed, 130 and 143 interrupted by SIGINT and SIGTERM.
</source>
        <translation>
&apos;%1 help COMMAND&apos; tells which of the options a command takes; &apos;man %1-COMMAND&apos; says more.

Exit codes: 0 all done, 1 some module failed (or standard output could not be written), 2 usage error, 3 nothing found or the network failed, 130 and 143 interrupted by SIGINT and SIGTERM.
</translation>
    </message>
    <message>
        <source>ostrel-cli: error: standard output: %1
</source>
        <translation>ostrel-cli: error: standard output: %1
</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>no command given</translation>
    </message>
    <message>
        <source>%1: --timeout takes milliseconds from 1 to 3600000</source>
        <translation>%1: --timeout takes milliseconds from 1 to 3600000</translation>
    </message>
    <message>
        <source>%1: --rate takes frames per second from %2 to 1000000</source>
        <translation>%1: --rate takes frames per second from %2 to 1000000</translation>
    </message>
    <message>
        <source>%1: --parallel takes a number from 1 to %2</source>
        <translation>%1: --parallel takes a number from 1 to %2</translation>
    </message>
    <message>
        <source>ostrel-cli: %1: ending the steps under way (%1 again ends at once)
</source>
        <translation>ostrel-cli: %1: ending the steps under way (%1 again ends at once)
</translation>
    </message>
    <message>
        <source>interrupted (%1)</source>
        <translation>interrupted (%1)</translation>
    </message>
    <message>
        <source>interrupted by %1: the steps under way ended, no other was started</source>
        <translation>interrupted by %1: the steps under way ended, no other was started</translation>
    </message>
    <message>
        <source>--adapter %1: no such adapter; there are: %2</source>
        <translation>--adapter %1: no such adapter; there are: %2</translation>
    </message>
    <message>
        <source>none</source>
        <translation>none</translation>
    </message>
    <message>
        <source>%1: would give every module the same address; set it one module at a time</source>
        <translation>%1: would give every module the same address; set it one module at a time</translation>
    </message>
    <message>
        <source>Send values that would cut a module off the network (a mask that is not contiguous, an address no module can have, a router address outside the subnet).</source>
        <translation>Send values that would cut a module off the network (a mask that is not contiguous, an address no module can have, a router address outside the subnet).</translation>
    </message>
    <message>
        <source>Lists the network adapters a search goes out of: name, address, mask, MAC.</source>
        <translation>Lists the network adapters a search goes out of: name, address, mask, MAC.</translation>
    </message>
    <message>
        <source>takes no arguments</source>
        <translation>takes no arguments</translation>
    </message>
    <message>
        <source>no adapter is up, can broadcast and has an IPv4 address</source>
        <translation>no adapter is up, can broadcast and has an IPv4 address</translation>
    </message>
    <message>
        <source>--dry-run takes MAC addresses only: finding the modules of other targets would broadcast</source>
        <translation>--dry-run takes MAC addresses only: finding the modules of other targets would broadcast</translation>
    </message>
    <message>
        <source>A module&apos;s MAC address, its IP address, or &quot;all&quot; (every module a search finds).</source>
        <translation>A module&apos;s MAC address, its IP address, or &quot;all&quot; (every module a search finds).</translation>
    </message>
    <message>
        <source>Asks every module to answer (a broadcast out of each adapter) and lists those that did: MAC, IP, adapter. Modules that share an address are warned of.</source>
        <translation>Asks every module to answer (a broadcast out of each adapter) and lists those that did: MAC, IP, adapter. Modules that share an address are warned of.</translation>
    </message>
    <message>
        <source>Wait at most &lt;MS&gt; milliseconds for answers (default %1); the search ends %2 ms after the last answer.</source>
        <translation>Wait at most &lt;MS&gt; milliseconds for answers (default %1); the search ends %2 ms after the last answer.</translation>
    </message>
    <message>
        <source>--wait takes milliseconds from 1 to 60000</source>
        <translation>--wait takes milliseconds from 1 to 60000</translation>
    </message>
    <message>
        <source>Reads all parameters of modules (and with --uart their serial settings).</source>
        <translation>Reads all parameters of modules (and with --uart their serial settings).</translation>
    </message>
    <message>
        <source>Read the serial settings too.</source>
        <translation>Read the serial settings too.</translation>
    </message>
    <message>
        <source>all: changes every module that answers; give --yes to do so where nobody can be asked (standard input is not a terminal)</source>
        <translation>all: changes every module that answers; give --yes to do so where nobody can be asked (standard input is not a terminal)</translation>
    </message>
    <message>
        <source>%1 the %2 modules that answered?</source>
        <translation>%1 the %2 modules that answered?</translation>
    </message>
    <message>
        <source>not confirmed; nothing was changed</source>
        <translation>not confirmed; nothing was changed</translation>
    </message>
    <message>
        <source>Sets parameters of modules, each once the one before is confirmed.</source>
        <translation>Sets parameters of modules, each once the one before is confirmed.</translation>
    </message>
    <message>
        <source>key=value; see below.</source>
        <translation>key=value; see below.</translation>
    </message>
    <message>
        <source>no key=value given</source>
        <translation>no key=value given</translation>
    </message>
    <message>
        <source>Set %1 of</source>
        <translation>Set %1 of</translation>
    </message>
    <message>
        <source>Restores the factory settings of modules (&quot;AT+DEFAULT&quot;).</source>
        <translation>Restores the factory settings of modules (&quot;AT+DEFAULT&quot;).</translation>
    </message>
    <message>
        <source>Restore the factory settings of</source>
        <translation>Restore the factory settings of</translation>
    </message>
    <message>
        <source>Writes the parameters a file holds to modules: a CFG.ini as the window saves it, or a document as &apos;read --json&apos; prints it.</source>
        <translation>Writes the parameters a file holds to modules: a CFG.ini as the window saves it, or a document as &apos;read --json&apos; prints it.</translation>
    </message>
    <message>
        <source>From a CFG.ini: the keys it holds, and no others (a field saved empty or &quot;0&quot; is left out; BaudRate, DataBit, StopBit and Parity go together). From JSON: the &quot;parameters&quot; of its one module (the version is left out).
</source>
        <translation>From a CFG.ini: the keys it holds, and no others (a field saved empty or &quot;0&quot; is left out; BaudRate, DataBit, StopBit and Parity go together). From JSON: the &quot;parameters&quot; of its one module (the version is left out).
</translation>
    </message>
    <message>
        <source>The file to write from (needed; - for standard input).</source>
        <translation>The file to write from (needed; - for standard input).</translation>
    </message>
    <message>
        <source>--from FILE is needed</source>
        <translation>--from FILE is needed</translation>
    </message>
    <message>
        <source>Write the file&apos;s settings to</source>
        <translation>Write the file&apos;s settings to</translation>
    </message>
    <message>
        <source>Sets each module of a plan to its own settings, reads it back and compares; a summary says which modules are done.</source>
        <translation>Sets each module of a plan to its own settings, reads it back and compares; a summary says which modules are done.</translation>
    </message>
    <message>
        <source>PLAN.csv: a first line naming the columns, &quot;module&quot; (the MAC address the module answers to now) and any of the keys below, then one line per module; an empty cell leaves that parameter as it is. PLAN.json: a document as &apos;read --json&apos; prints it; each entry&apos;s &quot;module&quot; and &quot;parameters&quot;.

</source>
        <translation>PLAN.csv: a first line naming the columns, &quot;module&quot; (the MAC address the module answers to now) and any of the keys below, then one line per module; an empty cell leaves that parameter as it is. PLAN.json: a document as &apos;read --json&apos; prints it; each entry&apos;s &quot;module&quot; and &quot;parameters&quot;.

</translation>
    </message>
    <message>
        <source>The plan: CSV or JSON.</source>
        <translation>The plan: CSV or JSON.</translation>
    </message>
    <message>
        <source>takes one plan</source>
        <translation>takes one plan</translation>
    </message>
    <message>
        <source>%1 of %2 modules done</source>
        <translation>%1 of %2 modules done</translation>
    </message>
    <message>
        <source>not done within %1 ms (--timeout)</source>
        <translation>not done within %1 ms (--timeout)</translation>
    </message>
    <message>
        <source>searching</source>
        <translation>searching</translation>
    </message>
    <message>
        <source>no module answered</source>
        <translation>no module answered</translation>
    </message>
    <message>
        <source>%1 answers skipped: their MAC text is not a MAC address</source>
        <translation>%1 answers skipped: their MAC text is not a MAC address</translation>
    </message>
    <message>
        <source>adapter %1 has no IPv4 address</source>
        <translation>adapter %1 has no IPv4 address</translation>
    </message>
    <message>
        <source>no reason given</source>
        <translation>no reason given</translation>
    </message>
    <message>
        <source>shares its MAC address with %1 on %2: every frame to one reaches all; set it through its serial port</source>
        <translation>shares its MAC address with %1 on %2: every frame to one reaches all; set it through its serial port</translation>
    </message>
    <message>
        <source>did not answer the search</source>
        <translation>did not answer the search</translation>
    </message>
    <message>
        <source>%1 is %2, not %3</source>
        <translation>%1 is %2, not %3</translation>
    </message>
    <message>
        <source>unread</source>
        <translation>unread</translation>
    </message>
    <message>
        <source>wrote %1</source>
        <translation>wrote %1</translation>
    </message>
    <message>
        <source>failed at %1 (%2)</source>
        <translation>failed at %1 (%2)</translation>
    </message>
    <message>
        <source>ostrel-cli: %1
Try &apos;%2&apos;.
</source>
        <translation>ostrel-cli: %1
Try &apos;%2&apos;.
</translation>
    </message>
    <message>
        <source>not all of it could be written</source>
        <translation>not all of it could be written</translation>
    </message>
    <message>
        <source>relay %1</source>
        <translation>relay %1</translation>
    </message>
    <message>
        <source>input %1</source>
        <translation>input %1</translation>
    </message>
    <message>
        <source>%1: %2 of %3 answered</source>
        <translation>%1: %2 of %3 answered</translation>
    </message>
    <message>
        <source>no connection within %1 ms</source>
        <translation>no connection within %1 ms</translation>
    </message>
    <message>
        <source>no connection</source>
        <translation>no connection</translation>
    </message>
    <message>
        <source>nothing listens on that port</source>
        <translation>nothing listens on that port</translation>
    </message>
    <message>
        <source>the command could not be sent</source>
        <translation>the command could not be sent</translation>
    </message>
    <message>
        <source>the module answered ERROR</source>
        <translation>the module answered ERROR</translation>
    </message>
    <message>
        <source>no answer from %1 within %2 ms</source>
        <translation>no answer from %1 within %2 ms</translation>
    </message>
    <message>
        <source>the module closed the connection without an answer from %1</source>
        <translation>the module closed the connection without an answer from %1</translation>
    </message>
    <message>
        <source>Connect to the module&apos;s TCP server (the default).</source>
        <translation>Connect to the module&apos;s TCP server (the default).</translation>
    </message>
    <message>
        <source>Talk to the module as a UDP peer.</source>
        <translation>Talk to the module as a UDP peer.</translation>
    </message>
    <message>
        <source>The module&apos;s address and working port.</source>
        <translation>The module&apos;s address and working port.</translation>
    </message>
    <message>
        <source>The relay, 0 for all (the default).</source>
        <translation>The relay, 0 for all (the default).</translation>
    </message>
    <message>
        <source>The input, 0 for all (the default).</source>
        <translation>The input, 0 for all (the default).</translation>
    </message>
    <message>
        <source>--tcp or --udp, not both</source>
        <translation>--tcp or --udp, not both</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not HOST:PORT</source>
        <translation>&quot;%1&quot; is not HOST:PORT</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a number from 0 to %2</source>
        <translation>&quot;%1&quot; is not a number from 0 to %2</translation>
    </message>
    <message>
        <source>Switches a relay of a module in its working mode, and shows the states it answers with.</source>
        <translation>Switches a relay of a module in its working mode, and shows the states it answers with.</translation>
    </message>
    <message>
        <source>The relay, 1 to 15, or 0 for all.</source>
        <translation>The relay, 1 to 15, or 0 for all.</translation>
    </message>
    <message>
        <source>on or off.</source>
        <translation>on or off.</translation>
    </message>
    <message>
        <source>Switch back after &lt;S&gt; time units of the module (sent as given).</source>
        <translation>Switch back after &lt;S&gt; time units of the module (sent as given).</translation>
    </message>
    <message>
        <source>takes HOST:PORT N on|off</source>
        <translation>takes HOST:PORT N on|off</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither on nor off</source>
        <translation>&quot;%1&quot; is neither on nor off</translation>
    </message>
    <message>
        <source>--time takes a number of time units</source>
        <translation>--time takes a number of time units</translation>
    </message>
    <message>
        <source>--time is too long: the command would exceed %1 bytes</source>
        <translation>--time is too long: the command would exceed %1 bytes</translation>
    </message>
    <message>
        <source>Shows the relays of a module in its working mode: on or off, and the time left until one switches back.</source>
        <translation>Shows the relays of a module in its working mode: on or off, and the time left until one switches back.</translation>
    </message>
    <message>
        <source>Shows the inputs of a module in its working mode: on or off.</source>
        <translation>Shows the inputs of a module in its working mode: on or off.</translation>
    </message>
    <message>
        <source>takes HOST:PORT [N]</source>
        <translation>takes HOST:PORT [N]</translation>
    </message>
    <message>
        <source>ostrel-cli: error: %1</source>
        <translation>ostrel-cli: error: %1</translation>
    </message>
    <message>
        <source>ostrel-cli: warning: %1</source>
        <translation>ostrel-cli: warning: %1</translation>
    </message>
    <message>
        <source>%1: larger than %2 bytes</source>
        <translation>%1: larger than %2 bytes</translation>
    </message>
    <message>
        <source>%1=%2 is not an item of its list</source>
        <translation>%1=%2 is not an item of its list</translation>
    </message>
    <message>
        <source>%1 without %2: the serial settings are written whole</source>
        <translation>%1 without %2: the serial settings are written whole</translation>
    </message>
    <message>
        <source>holds no settings under [CFG]</source>
        <translation>holds no settings under [CFG]</translation>
    </message>
    <message>
        <source>%1: a value is a string</source>
        <translation>%1: a value is a string</translation>
    </message>
    <message>
        <source>%1: %2 at byte %3</source>
        <translation>%1: %2 at byte %3</translation>
    </message>
    <message>
        <source>%1: no &quot;modules&quot; list, as `ostrel-cli read --json` prints</source>
        <translation>%1: no &quot;modules&quot; list, as `ostrel-cli read --json` prints</translation>
    </message>
    <message>
        <source>%1: module %2: not an object</source>
        <translation>%1: module %2: not an object</translation>
    </message>
    <message>
        <source>%1: module %2: no &quot;module&quot; (the MAC address the module answers to)</source>
        <translation>%1: module %2: no &quot;module&quot; (the MAC address the module answers to)</translation>
    </message>
    <message>
        <source>%1: module %2: %3</source>
        <translation>%1: module %2: %3</translation>
    </message>
    <message>
        <source>line %1: a quote opens a cell that no quote closes</source>
        <translation>line %1: a quote opens a cell that no quote closes</translation>
    </message>
    <message>
        <source>%1: empty</source>
        <translation>%1: empty</translation>
    </message>
    <message>
        <source>%1: line 1: column &quot;%2&quot; is not module or a setting key, or comes twice</source>
        <translation>%1: line 1: column &quot;%2&quot; is not module or a setting key, or comes twice</translation>
    </message>
    <message>
        <source>%1: line 1: no &quot;module&quot; column</source>
        <translation>%1: line 1: no &quot;module&quot; column</translation>
    </message>
    <message>
        <source>%1: line %2: %3</source>
        <translation>%1: line %2: %3</translation>
    </message>
    <message>
        <source>%1 cells where line 1 names %2 columns</source>
        <translation>%1 cells where line 1 names %2 columns</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not the MAC address of a module</source>
        <translation>&quot;%1&quot; is not the MAC address of a module</translation>
    </message>
    <message>
        <source>module %1 comes twice</source>
        <translation>module %1 comes twice</translation>
    </message>
    <message>
        <source>%1 %2 is given to two modules</source>
        <translation>%1 %2 is given to two modules</translation>
    </message>
    <message>
        <source>-: could not keep a copy of standard input: %1</source>
        <translation>-: could not keep a copy of standard input: %1</translation>
    </message>
    <message>
        <source>%1: holds %2 modules; write takes one (apply takes many)</source>
        <translation>%1: holds %2 modules; write takes one (apply takes many)</translation>
    </message>
    <message>
        <source>%1: holds no module</source>
        <translation>%1: holds no module</translation>
    </message>
    <message>
        <source>a dotted IPv4 address</source>
        <translation>a dotted IPv4 address</translation>
    </message>
    <message>
        <source>a dotted IPv4 mask, its ones contiguous</source>
        <translation>a dotted IPv4 mask, its ones contiguous</translation>
    </message>
    <message>
        <source>a port from 1 to 65535</source>
        <translation>a port from 1 to 65535</translation>
    </message>
    <message>
        <source>at most %1 bytes in GBK (a Chinese character takes two)</source>
        <translation>at most %1 bytes in GBK (a Chinese character takes two)</translation>
    </message>
    <message>
        <source>six hex pairs joined by &apos;:&apos;</source>
        <translation>six hex pairs joined by &apos;:&apos;</translation>
    </message>
    <message>
        <source>%1 (one module at a time)</source>
        <translation>%1 (one module at a time)</translation>
    </message>
    <message>
        <source>no such key; the keys are %1</source>
        <translation>no such key; the keys are %1</translation>
    </message>
    <message>
        <source>is read only</source>
        <translation>is read only</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is none of %2</source>
        <translation>&quot;%1&quot; is none of %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a dotted IPv4 address</source>
        <translation>&quot;%1&quot; is not a dotted IPv4 address</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a port from 1 to 65535</source>
        <translation>&quot;%1&quot; is not a port from 1 to 65535</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not six hex pairs joined by &apos;:&apos;</source>
        <translation>&quot;%1&quot; is not six hex pairs joined by &apos;:&apos;</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not %2</source>
        <translation>&quot;%1&quot; is not %2</translation>
    </message>
    <message>
        <source>control characters cannot be sent</source>
        <translation>control characters cannot be sent</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has characters that GBK cannot encode</source>
        <translation>&quot;%1&quot; has characters that GBK cannot encode</translation>
    </message>
    <message>
        <source>at most %1 bytes (&quot;%2&quot; has %3 bytes in GBK)</source>
        <translation>at most %1 bytes (&quot;%2&quot; has %3 bytes in GBK)</translation>
    </message>
    <message>
        <source>%1 is not a contiguous mask: the module would reach no one (--force sends it anyway)</source>
        <translation>%1 is not a contiguous mask: the module would reach no one (--force sends it anyway)</translation>
    </message>
    <message>
        <source>%1 is no address a module can have: it would be cut off (--force sends it anyway)</source>
        <translation>%1 is no address a module can have: it would be cut off (--force sends it anyway)</translation>
    </message>
    <message>
        <source>%1 is outside the module&apos;s subnet: the module could not reach it (--force sends it anyway)</source>
        <translation>%1 is outside the module&apos;s subnet: the module could not reach it (--force sends it anyway)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not key=value</source>
        <translation>&quot;%1&quot; is not key=value</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>refused</translation>
    </message>
    <message>
        <source>answered wrongly three times</source>
        <translation>answered wrongly three times</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>the network is not open</source>
        <translation>the network is not open</translation>
    </message>
    <message>
        <source>the frame could not be sent</source>
        <translation>the frame could not be sent</translation>
    </message>
    <message>
        <source>no item of its list</source>
        <translation>no item of its list</translation>
    </message>
    <message>
        <source>name too long</source>
        <translation>name too long</translation>
    </message>
    <message>
        <source>the frame would be longer than %1 bytes</source>
        <translation>the frame would be longer than %1 bytes</translation>
    </message>
    <message>
        <source>Keys and their values (items of a list in any case):
</source>
        <translation>Keys and their values (items of a list in any case):
</translation>
    </message>
    <message>
        <source>%1: given twice</source>
        <translation>%1: given twice</translation>
    </message>
    <message>
        <source>no module named: give a MAC address, an IP address or &quot;all&quot;</source>
        <translation>no module named: give a MAC address, an IP address or &quot;all&quot;</translation>
    </message>
    <message>
        <source>&quot;all&quot; names every module and goes alone</source>
        <translation>&quot;all&quot; names every module and goes alone</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither a MAC address, an IP address nor &quot;all&quot;</source>
        <translation>&quot;%1&quot; is neither a MAC address, an IP address nor &quot;all&quot;</translation>
    </message>
    <message>
        <source>%1: connecting</source>
        <translation>%1: connecting</translation>
    </message>
    <message>
        <source>UDP port %1 could not be opened (%2): another program holds it, such as an Ostrel window that has searched, which keeps the port until it is closed; nothing was sent</source>
        <translation>UDP port %1 could not be opened (%2): another program holds it, such as an Ostrel window that has searched, which keeps the port until it is closed; nothing was sent</translation>
    </message>
    <message>
        <source>%1 of its frames were still queued when the search ended (--rate): modules behind their adapters were not asked</source>
        <translation>%1 of its frames were still queued when the search ended (--rate): modules behind their adapters were not asked</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>ADDRESS</source>
        <translation>ADDRESS</translation>
    </message>
    <message>
        <source>MASK</source>
        <translation>MASK</translation>
    </message>
    <message>
        <source>MODULE</source>
        <translation>MODULE</translation>
    </message>
    <message>
        <source>ADAPTER</source>
        <translation>ADAPTER</translation>
    </message>
    <message>
        <source>STATUS</source>
        <translation>STATUS</translation>
    </message>
    <message>
        <source>DETAIL</source>
        <translation>DETAIL</translation>
    </message>
    <message>
        <source>STEP</source>
        <translation>STEP</translation>
    </message>
    <message>
        <source>FRAME</source>
        <translation>FRAME</translation>
    </message>
    <message>
        <source>SEND</source>
        <translation>SEND</translation>
    </message>
    <message>
        <source>RELAY</source>
        <translation>RELAY</translation>
    </message>
    <message>
        <source>STATE</source>
        <translation>STATE</translation>
    </message>
    <message>
        <source>REMAINING</source>
        <translation>REMAINING</translation>
    </message>
    <message>
        <source>INPUT</source>
        <translation>INPUT</translation>
    </message>
    <message>
        <source>
Arguments:
</source>
        <translation>
Arguments:
</translation>
    </message>
    <message>
        <source>
Options:
</source>
        <translation>
Options:
</translation>
    </message>
</context>
<context>
    <name>language</name>
    <message>
        <source>unknown language &quot;%1&quot; (use %2)</source>
        <translation>unknown language &quot;%1&quot; (use %2)</translation>
    </message>
</context>
<context>
    <name>ostrel</name>
    <message>
        <source>程序已经运行!</source>
        <translation>The program is already running!</translation>
    </message>
</context>
<context>
    <name>ostrel-sim</name>
    <message>
        <source>bad delay in fault &apos;%1&apos;</source>
        <translation>bad delay in fault &apos;%1&apos;</translation>
    </message>
    <message>
        <source>unknown fault &apos;%1&apos;</source>
        <translation>unknown fault &apos;%1&apos;</translation>
    </message>
    <message>
        <source>cannot read %1</source>
        <translation>cannot read %1</translation>
    </message>
    <message>
        <source>%1: unknown section [%2]</source>
        <translation>%1: unknown section [%2]</translation>
    </message>
    <message>
        <source>%1: not a readable INI file</source>
        <translation>%1: not a readable INI file</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not key=value</source>
        <translation>&apos;%1&apos; is not key=value</translation>
    </message>
    <message>
        <source>unknown module key &apos;%1&apos;</source>
        <translation>unknown module key &apos;%1&apos;</translation>
    </message>
    <message>
        <source>value &apos;%1&apos; is not acceptable for %2</source>
        <translation>value &apos;%1&apos; is not acceptable for %2</translation>
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
        <translation>Usage: ostrel-sim [options]

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
                         --mode 2, --dip 192.168.1.10, --name Relay1,
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
</translation>
    </message>
    <message>
        <source> (see --help)</source>
        <translation> (see --help)</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>unexpected argument &apos;%1&apos;</translation>
    </message>
    <message>
        <source>empty --module</source>
        <translation>empty --module</translation>
    </message>
    <message>
        <source>bad value &apos;%1&apos; for %2</source>
        <translation>bad value &apos;%1&apos; for %2</translation>
    </message>
    <message>
        <source>--modules needs a number from 1 to 4096</source>
        <translation>--modules needs a number from 1 to 4096</translation>
    </message>
    <message>
        <source>no non-loopback IPv4 address here; use --first-ip</source>
        <translation>no non-loopback IPv4 address here; use --first-ip</translation>
    </message>
    <message>
        <source>bad address &apos;%1&apos;</source>
        <translation>bad address &apos;%1&apos;</translation>
    </message>
    <message>
        <source>module without a valid ip (&apos;%1&apos;)</source>
        <translation>module without a valid ip (&apos;%1&apos;)</translation>
    </message>
    <message>
        <source>address %1 is not an address of this host: %2</source>
        <translation>address %1 is not an address of this host: %2</translation>
    </message>
    <message>
        <source>cannot bind UDP port %1: %2</source>
        <translation>cannot bind UDP port %1: %2</translation>
    </message>
    <message>
        <source>no module &apos;%1&apos; (1 to %2 or all)</source>
        <translation>no module &apos;%1&apos; (1 to %2 or all)</translation>
    </message>
</context>
<context>
    <name>settings</name>
    <message>
        <source>it is not a regular file</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>the file is larger than %1 bytes</source>
        <translation>the file is larger than %1 bytes</translation>
    </message>
    <message>
        <source>the file is not text in GBK, nor in UTF-8 or UTF-16 with a byte-order mark</source>
        <translation>the file is not text in GBK, nor in UTF-8 or UTF-16 with a byte-order mark</translation>
    </message>
    <message>
        <source>the folder %1 could not be created: %2</source>
        <translation>the folder %1 could not be created: %2</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1:
%2

The file was not changed.</source>
        <translation>The settings could not be saved to %1:
%2

The file was not changed.</translation>
    </message>
    <message>
        <source>a copy of its text could not be kept in %1: %2</source>
        <translation>a copy of its text could not be kept in %1: %2</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1:
%2

%3 A copy of its previous text is in %4.</source>
        <translation>The settings could not be saved to %1:
%2

%3 A copy of its previous text is in %4.</translation>
    </message>
    <message>
        <source>The file was not changed.</source>
        <translation>The file was not changed.</translation>
    </message>
    <message>
        <source>The file could not be restored and may be damaged.</source>
        <translation>The file could not be restored and may be damaged.</translation>
    </message>
    <message>
        <source>the value of &quot;%1&quot; holds a line break</source>
        <translation>the value of &quot;%1&quot; holds a line break</translation>
    </message>
    <message>
        <source>The settings could not be read from %1:
%2

The fields were not changed.</source>
        <translation>The settings could not be read from %1:
%2

The fields were not changed.</translation>
    </message>
    <message>
        <source>The settings file %1 holds no item number under %2, so those boxes were left as they were. Everything else was restored.</source>
        <translation>The settings file %1 holds no item number under %2, so those boxes were left as they were. Everything else was restored.</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>no such file</translation>
    </message>
    <message>
        <source>the folder does not exist</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permission denied</translation>
    </message>
</context>
<context>
    <name>socketFailure</name>
    <message>
        <source>Permission denied</source>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>Invalid argument</source>
        <translation>Invalid argument</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>Message too long</source>
        <translation>Message too long</translation>
    </message>
    <message>
        <source>Address family not supported by protocol</source>
        <translation>Address family not supported by protocol</translation>
    </message>
    <message>
        <source>Address already in use</source>
        <translation>Address already in use</translation>
    </message>
    <message>
        <source>Cannot assign requested address</source>
        <translation>Cannot assign requested address</translation>
    </message>
    <message>
        <source>Network is down</source>
        <translation>Network is down</translation>
    </message>
    <message>
        <source>Network is unreachable</source>
        <translation>Network is unreachable</translation>
    </message>
    <message>
        <source>Network dropped connection on reset</source>
        <translation>Network dropped connection on reset</translation>
    </message>
    <message>
        <source>Software caused connection abort</source>
        <translation>Software caused connection abort</translation>
    </message>
    <message>
        <source>Connection reset by peer</source>
        <translation>Connection reset by peer</translation>
    </message>
    <message>
        <source>No buffer space available</source>
        <translation>No buffer space available</translation>
    </message>
    <message>
        <source>Transport endpoint is already connected</source>
        <translation>Transport endpoint is already connected</translation>
    </message>
    <message>
        <source>Transport endpoint is not connected</source>
        <translation>Transport endpoint is not connected</translation>
    </message>
    <message>
        <source>Broken pipe</source>
        <translation>Broken pipe</translation>
    </message>
    <message>
        <source>Connection timed out</source>
        <translation>Connection timed out</translation>
    </message>
    <message>
        <source>Connection refused</source>
        <translation>Connection refused</translation>
    </message>
    <message>
        <source>Host is down</source>
        <translation>Host is down</translation>
    </message>
    <message>
        <source>No route to host</source>
        <translation>No route to host</translation>
    </message>
    <message>
        <source>Network error %1</source>
        <translation>Network error %1</translation>
    </message>
</context>
</TS>
