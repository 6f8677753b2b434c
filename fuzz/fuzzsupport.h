#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstddef>
#include <cstdint>
#include <cstdio>

// A property every input must keep. A broken one is a finding like a crash:
// the run stops and libFuzzer keeps the input that broke it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);  \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (false)

namespace fuzz {

// Where one input holds several messages (datagrams, reads), they are parted
// by 0xFF: a byte that is neither ASCII nor part of any GBK character, so a
// real frame or reply never needs it.
inline QList<QByteArrayView> pieces(const uint8_t *data, size_t size) {
    const QByteArrayView input(data, qsizetype(size));
    QList<QByteArrayView> result;
    qsizetype start = 0;
    for (qsizetype end; (end = input.indexOf('\xFF', start)) >= 0; start = end + 1)
        result.append(input.sliced(start, end - start));
    result.append(input.sliced(start));
    return result;
}

} // namespace fuzz
