#include "framepreview.h"

#include "modulesession.h"

using namespace Qt::StringLiterals;

namespace cli {

FramePreview previewFrames(const QByteArray &moduleMac, const QByteArray &localMac,
                           const Settings &settings, bool factoryDefault) {
    FramePreview preview;
    const auto keep = [&](const QString &step, const Command &command,
                          const ParameterValue &value) {
        const SettingFrame frame = settingFrame(moduleMac, localMac, command, value);
        if (frame.refusal) {
            preview.refusedStep = step;
            preview.refusal = failureWords(*frame.refusal);
            preview.refusalCode = codeName(*frame.refusal);
            return false;
        }
        preview.frames.append({step, frame.bytes});
        return true;
    };
    if (factoryDefault && !keep(u"default"_s, commands::FactoryDefault, QString()))
        return preview;
    for (const Setting &setting : settings) {
        if (!keep(keyOf(setting.parameter), commands::of(setting.parameter), setting.value))
            break;
    }
    return preview;
}

} // namespace cli
