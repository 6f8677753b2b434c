<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
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
        <translation>Read specification</translation>
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
        <translation>clear display</translation>
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
        <translation>  2. &quot;Read specification&quot;: reads every readable parameter of the module and shows it</translation>
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
    <name>ostrel</name>
    <message>
        <source>程序已经运行!</source>
        <translation>The program is already running!</translation>
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
