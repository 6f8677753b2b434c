#pragma once

#include "commandtable.h"

#include <QString>

// What a conversation with one module shows, and where the values of its
// settings come from. The window implements it over its widgets; tests and
// other front ends implement it as they need. Nothing here may depend on a
// widget type, so the core stays QtCore-only.
class SessionView {
public:
    enum class Notice {
        InputError,    // what the user asked for cannot be sent
        ProtocolEvent, // the module or the network did not answer as expected
    };

    virtual ~SessionView() = default;

    virtual ParameterValue parameterValue(Parameter parameter) const = 0;
    // An item number outside the list shows no item.
    virtual void showParameter(Parameter parameter, const ParameterValue &value) = 0;
    // One line at the end of the information memo; an empty text is an empty
    // line. Time stamps are the core's business.
    virtual void appendMemoLine(const QString &line) = 0;
    // Modal: returns once the user has closed it. Arrivals and timers keep
    // running meanwhile, so the caller may be re-entered.
    virtual void notify(Notice notice, const QString &text) = 0;

    // The steps of the conversation, for a caller that follows it without
    // reading the memo. A frame of command went out (setting: its setting
    // frame); the answer to command came (setting: to its setting frame; ok:
    // the answer it hoped for). Each comes right after its memo line.
    virtual void stepSent(const Command &command, bool setting) {
        Q_UNUSED(command);
        Q_UNUSED(setting);
    }
    virtual void stepAnswered(const Command &command, bool setting, bool ok) {
        Q_UNUSED(command);
        Q_UNUSED(setting);
        Q_UNUSED(ok);
    }
};

// What the configuration side shows beyond one module: the modules found,
// and whether it may be used (the test console switches it off while it
// holds the network).
class ConfigView : public SessionView {
public:
    virtual void clearModuleList() = 0;
    virtual void appendModuleLine(const QString &line) = 0;
    virtual void replaceModuleLine(int row, const QString &line) = 0;
    virtual void enableConfiguration(bool enabled) = 0;
};
