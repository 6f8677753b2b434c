#pragma once

#include "transport.h"

#include <QString>

// A failure report of the socket component as the transport hands it on:
// the reason a caller can act on and the system's own words, beside the
// component's report. code is as the component reports it: a Windows
// Sockets number, or a notice with the number in its high 16 bits.
Transport::Failure socketFailure(int code, const QString &report);

// Whether the component's report only says that a call goes on in the
// background.
bool isPendingCall(int code);
