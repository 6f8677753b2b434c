#pragma once

#include "settingtext.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The frames a module would be sent, built as the core's module session
// builds them: a setting the session refuses (a name over its byte limit, a
// frame over its size) is refused here, and a frame shown is byte for byte
// the one that would leave.
namespace cli {

struct FramePreview {
    struct Frame {
        QString step; // the setting's key, or "default"
        QByteArray bytes;
    };
    QList<Frame> frames;
    // The step refused and why, in words and as a code; the frames before
    // it were built.
    QString refusedStep;
    QString refusal;
    QString refusalCode;
};

// The frames of settings, one each, in their order; "AT+DEFAULT" first when
// factoryDefault is set.
FramePreview previewFrames(const QByteArray &moduleMac, const QByteArray &localMac,
                           const Settings &settings, bool factoryDefault = false);

} // namespace cli
