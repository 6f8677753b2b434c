#pragma once

#include "parameters.h"

#include <QString>

// What a conversation with one module shows. The window implements it over
// its widgets; tests implement it as they need. Nothing here may depend on a
// widget type, so the core stays QtCore-only.
class SessionView {
public:
    enum class Notice {
        InputError,    // what the user asked for cannot be sent
        ProtocolEvent, // the module or the network did not answer as expected
    };

    virtual ~SessionView() = default;

    // An item number outside the list shows no item.
    virtual void showParameter(Parameter parameter, const ParameterValue &value) = 0;
    // One line at the end of the information memo; an empty text is an empty
    // line. Time stamps are the core's business.
    virtual void appendMemoLine(const QString &line) = 0;
    // Modal: returns once the user has closed it. Arrivals and timers keep
    // running meanwhile, so the caller may be re-entered.
    virtual void notify(Notice notice, const QString &text) = 0;
};

// What the configuration side shows beyond one module: the modules found,
// and whether it may be used (the test console switches it off while it
// holds the network).
class ConfigView : public SessionView {
public:
    // What the field of parameter holds: the value its setting takes.
    virtual ParameterValue parameterValue(Parameter parameter) const = 0;
    virtual void clearModuleList() = 0;
    virtual void appendModuleLine(const QString &line) = 0;
    virtual void replaceModuleLine(int row, const QString &line) = 0;
    virtual void enableConfiguration(bool enabled) = 0;
};
