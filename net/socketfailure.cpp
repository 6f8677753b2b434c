#include "socketfailure.h"

#include "cmsocket_engine.h"

#include <algorithm>
#include <iterator>
#include <system_error>

namespace {

using Reason = Transport::Failure::Reason;

struct Known {
    int code;
    Reason reason;
    std::errc condition;
};

// The numbers a network call on a working connection can end with; the
// condition gives the system's own words for each, the same on every
// platform.
constexpr Known kKnown[] = {
    {10013, Reason::Other, std::errc::permission_denied},
    {10022, Reason::Other, std::errc::invalid_argument},
    {10024, Reason::Other, std::errc::too_many_files_open},
    {10040, Reason::Other, std::errc::message_size},
    {10047, Reason::Other, std::errc::address_family_not_supported},
    {10048, Reason::AddressInUse, std::errc::address_in_use},
    {10049, Reason::Other, std::errc::address_not_available},
    {10050, Reason::Unreachable, std::errc::network_down},
    {10051, Reason::Unreachable, std::errc::network_unreachable},
    {10052, Reason::Reset, std::errc::network_reset},
    {10053, Reason::Reset, std::errc::connection_aborted},
    {10054, Reason::Reset, std::errc::connection_reset},
    {10055, Reason::Other, std::errc::no_buffer_space},
    {10056, Reason::Other, std::errc::already_connected},
    {10057, Reason::Other, std::errc::not_connected},
    {10058, Reason::Reset, std::errc::broken_pipe},
    {10060, Reason::TimedOut, std::errc::timed_out},
    {10061, Reason::Refused, std::errc::connection_refused},
    {10065, Reason::Unreachable, std::errc::host_unreachable},
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
    // The host is down (10064) has no portable condition of its own.
    if (number == 10064) {
        failure.reason = Reason::Unreachable;
        failure.text = QStringLiteral("Host is down");
        return failure;
    }
    const auto *known = std::find_if(std::begin(kKnown), std::end(kKnown),
                                     [number](const Known &k) { return k.code == number; });
    if (known == std::end(kKnown)) {
        failure.text = QStringLiteral("Network error %1").arg(number);
        return failure;
    }
    failure.reason = known->reason;
    failure.text = QString::fromStdString(std::make_error_code(known->condition).message());
    return failure;
}
