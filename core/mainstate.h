#pragma once

#include <QtGlobal>

// State of the main window that the configuration side and the test console
// share: who holds the socket, and the sender of the last datagram recorded.
struct TMainState {
    // 1: datagrams of MySocket are configuration replies; 0: console traffic.
    qint32 ConfigMode = 1;
    // Sender of the last datagram recorded (search replies, console data).
    quint32 LastPeerIP = 0;
    quint16 LastPeerPort = 0;
};
