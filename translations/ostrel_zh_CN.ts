<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
    <name>ostrel</name>
    <message>
        <source>程序已经运行!</source>
        <translation>程序已经运行!</translation>
    </message>
</context>
<context>
    <name>settings</name>
    <message>
        <source>it is not a regular file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is larger than %1 bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is not text in GBK, nor in UTF-8 or UTF-16 with a byte-order mark</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the folder %1 could not be created: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings could not be saved to %1:
%2

The file was not changed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a copy of its text could not be kept in %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings could not be saved to %1:
%2

%3 A copy of its previous text is in %4.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file was not changed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file could not be restored and may be damaged.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the value of &quot;%1&quot; holds a line break</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings could not be read from %1:
%2

The fields were not changed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings file %1 holds no item number under %2, so those boxes were left as they were. Everything else was restored.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
