#pragma once

#include "transport.h"

// Which side of the window has the one transport: the configuration side
// (closed, or a datagram socket on the configuration port) or the test
// console.
enum class SocketHolder { Configuration, Console };

// State of the main window that the configuration side and the test console
// share: who holds the transport, and the sender of the last arrival recorded.
struct TMainState {
    SocketHolder holder = SocketHolder::Configuration;
    // Sender of the last arrival recorded (search replies, console data).
    Peer lastPeer;
};
