#include "socketfailure.h"

#include "cmsocket_engine.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace {

using Reason = Transport::Failure::Reason;

struct Known {
    int code;
    Reason reason;
    // The system's words for it (as the C library words its number), the
    // same on every platform: a source text of the context "socketFailure".
    const char *text;
};

// The numbers a network call on a working connection can end with.
constexpr Known kKnown[] = {
    {10013, Reason::Other, QT_TRANSLATE_NOOP("socketFailure", "Permission denied")},
    {10022, Reason::Other, QT_TRANSLATE_NOOP("socketFailure", "Invalid argument")},
    {10024, Reason::Other, QT_TRANSLATE_NOOP("socketFailure", "Too many open files")},
    {10040, Reason::Other, QT_TRANSLATE_NOOP("socketFailure", "Message too long")},
    {10047, Reason::Other,
     QT_TRANSLATE_NOOP("socketFailure", "Address family not supported by protocol")},
    {10048, Reason::AddressInUse, QT_TRANSLATE_NOOP("socketFailure", "Address already in use")},
    {10049, Reason::Other, QT_TRANSLATE_NOOP("socketFailure", "Cannot assign requested address")},
    {10050, Reason::Unreachable, QT_TRANSLATE_NOOP("socketFailure", "Network is down")},
    {10051, Reason::Unreachable, QT_TRANSLATE_NOOP("socketFailure", "Network is unreachable")},
    {10052, Reason::Reset,
     QT_TRANSLATE_NOOP("socketFailure", "Network dropped connection on reset")},
    {10053, Reason::Reset, QT_TRANSLATE_NOOP("socketFailure", "Software caused connection abort")},
    {10054, Reason::Reset, QT_TRANSLATE_NOOP("socketFailure", "Connection reset by peer")},
    {10055, Reason::Other, QT_TRANSLATE_NOOP("socketFailure", "No buffer space available")},
    {10056, Reason::Other,
     QT_TRANSLATE_NOOP("socketFailure", "Transport endpoint is already connected")},
    {10057, Reason::Other,
     QT_TRANSLATE_NOOP("socketFailure", "Transport endpoint is not connected")},
    {10058, Reason::Reset, QT_TRANSLATE_NOOP("socketFailure", "Broken pipe")},
    {10060, Reason::TimedOut, QT_TRANSLATE_NOOP("socketFailure", "Connection timed out")},
    {10061, Reason::Refused, QT_TRANSLATE_NOOP("socketFailure", "Connection refused")},
    {10064, Reason::Unreachable, QT_TRANSLATE_NOOP("socketFailure", "Host is down")},
    {10065, Reason::Unreachable, QT_TRANSLATE_NOOP("socketFailure", "No route to host")},
};

// A notice carries its event in the low 16 bits and the number in the high.
int numberOf(int code) {
    return code > 0xFFFF ? code >> 16 : code;
}

} // namespace

bool isPendingCall(int code) {
    return numberOf(code) == cmWouldBlock;
}

Transport::Failure socketFailure(int code, const QString &report) {
    const int number = numberOf(code);
    Transport::Failure failure;
    failure.report = report;
    const auto *known = std::find_if(std::begin(kKnown), std::end(kKnown),
                                     [number](const Known &k) { return k.code == number; });
    if (known == std::end(kKnown)) {
        failure.text = QCoreApplication::translate("socketFailure", "Network error %1").arg(number);
        return failure;
    }
    failure.reason = known->reason;
    failure.text = QCoreApplication::translate("socketFailure", known->text);
    return failure;
}
