<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>TFrmAbout</name>
    <message>
        <source>关于</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ostrel V1.01

Configuration and test tool for
Ostrel networked relay modules</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TFrmMain</name>
    <message>
        <source>Ostrel V1.01 </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TCP/IP configuration settings：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IP and Port：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search module </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read specification</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Factory setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Work mode：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TCP_Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TCP_Client</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UDP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UDP_Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Module IP：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>192.168.1.199</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gateway IP：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>192.168.1.1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination IP：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>192.168.1.100</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subnet mask：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>192.168.0.1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MAC address：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination port：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>6000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DHCP mode：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Device name：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info display：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>clear display</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ver：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QPlainTextEdit { background-color: rgb(185, 209, 234); }</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>110</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>300</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>600</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1200</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2400</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4800</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>9600</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>14400</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>19200</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>38400</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>56000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>57600</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>115200</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>128000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>256000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据位：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>9</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止位：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0.5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1.5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>校验：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Odd</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Even</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Receive：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Command sending：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear send</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear receive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TCP/IP：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mode：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TCP server end</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TCP client</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Computer IP：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edt_LocalIP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Computer port：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>12345</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Listen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NoConnect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay status：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay6</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay7</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay9</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay10</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay11</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay12</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay13</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay14</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relay15</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All relay</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Attached</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Detatched</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Timer：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>100000</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无输入，不定时</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input interface status：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface6</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface7</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface9</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface10</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface11</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interface12</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All interfaces</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;u&gt;RzURLLabel1&lt;/u&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+D</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Introduction</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TranscriptView</name>
    <message>
        <source>&amp;Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select All</source>
        <translation type="unfinished"></translation>
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
