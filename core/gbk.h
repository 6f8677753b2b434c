#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The modules and the settings file speak GBK (code page 936). Every length
// on the wire and every byte limit counts GBK bytes, so texts cross this
// boundary exactly once: typed text is encoded when a frame is built, received
// bytes are decoded when they are shown.
namespace gbk {

QByteArray encode(const QString &text);
QString decode(QByteArrayView bytes);

// Length in GBK bytes (a Chinese character counts two).
qsizetype byteLength(const QString &text);

} // namespace gbk
