#pragma once

#include "parameters.h"

#include <QDateTime>
#include <QString>

#include <optional>

class SessionView;

// What a conversation with a module did or met, as a value: each front end
// words it its own way (the window's memo and boxes, the command line's
// messages and codes).
struct SessionResult {
    enum class Code {
        Sent,          // a frame of step left (setting: its setting frame)
        Answered,      // the answer hoped for came; value holds what a report read
        Refused,       // a setting, or the version query, was answered with something else
        WrongAnswers,  // a query was answered wrongly three times running
        NoAnswer,      // nothing answered within the time allowed
        NotOpen,       // the network is not open
        InvalidValue,  // a list shows no item the module can take
        NameTooLong,   // more bytes than a module keeps
        FrameTooLong,  // the setting would not fit one frame
        ModuleChanged, // a destination setting went unanswered: the module may have changed
        SendFailed, // the frame could not leave (an adapter or its address gone); detail says why
    };

    Code code;
    // The step it is about: a parameter's command, the handshake or the
    // factory default; none for the checks made before anything is sent.
    const Command *step = nullptr;
    bool setting = false;
    std::optional<ParameterValue> value;
    // The system's own words, where the network refused.
    QString detail;

    std::optional<Parameter> parameter() const { return step ? step->parameter : std::nullopt; }
    // Whether the step went wrong; Sent, Answered and ModuleChanged did not.
    bool failed() const;
};

// A stable name of code for scripts ("refused", "no_answer" ...).
QString codeName(SessionResult::Code code);

// "date time: text", date and time as the system's short date and long time
// formats render them; at exactly midnight the date alone.
QString infoLine(const QDateTime &when, const QString &text);

// Shows result in view as the window words it: memo lines stamped with the
// time, the values read in their fields, a box for what stops the user.
void showResult(SessionView &view, const SessionResult &result);
