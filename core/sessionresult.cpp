#include "sessionresult.h"

#include "configview.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

void addInfoLine(SessionView &view, const QString &text) {
    view.appendMemoLine(infoLine(QDateTime::currentDateTime(), text));
}

// A result is indented by ten spaces and followed by an empty line.
void addResultLine(SessionView &view, const char *text) {
    addInfoLine(view, QString(10, u' ') + memoText(text));
}

} // namespace

bool SessionResult::failed() const {
    return code != Code::Sent && code != Code::Answered && code != Code::ModuleChanged;
}

QString codeName(SessionResult::Code code) {
    using C = SessionResult::Code;
    switch (code) {
    case C::Sent:
        return u"sent"_s;
    case C::Answered:
        return u"answered"_s;
    case C::Refused:
        return u"refused"_s;
    case C::WrongAnswers:
        return u"wrong_answers"_s;
    case C::NoAnswer:
        return u"no_answer"_s;
    case C::NotOpen:
        return u"not_open"_s;
    case C::SendFailed:
        return u"send_failed"_s;
    case C::InvalidValue:
        return u"invalid_value"_s;
    case C::NameTooLong:
        return u"name_too_long"_s;
    case C::FrameTooLong:
        return u"frame_too_long"_s;
    case C::ModuleChanged:
        return u"module_changed"_s;
    }
    return {};
}

QString infoLine(const QDateTime &when, const QString &text) {
    const QLocale locale = QLocale::system();
    // The memo shows local time; Unix locales put the zone name into the
    // long time format, which only adds noise to every line. The format is
    // worked out on first use (it compiles a regular expression), so every
    // line of a run is stamped alike.
    static const QString timeFormat = [&locale] {
        QString format = locale.timeFormat(QLocale::LongFormat);
        format.remove(QRegularExpression(u"\\s*\\bt+\\b"_s));
        return format.trimmed();
    }();
    QString stamp = locale.toString(when.date(), QLocale::ShortFormat);
    if (when.time() != QTime(0, 0))
        stamp += u' ' + locale.toString(when.time(), timeFormat);
    return stamp + u": "_s + text;
}

void showResult(SessionView &view, const SessionResult &result) {
    using C = SessionResult::Code;
    using N = SessionView::Notice;
    const Command *step = result.step;
    switch (result.code) {
    case C::Sent:
        addInfoLine(view, memoText(result.setting ? step->setLog : step->queryLog));
        return;
    case C::Answered:
        if (result.value && step->parameter)
            view.showParameter(*step->parameter, *result.value);
        addResultLine(view, result.setting ? step->setOk : step->readOk);
        if (step->kind == ValueKind::Version && result.value)
            addInfoLine(view, QCoreApplication::translate("SessionResult", "版本号为： %1")
                                  .arg(std::get<QString>(*result.value)));
        view.appendMemoLine(QString());
        return;
    case C::Refused:
        addResultLine(view, result.setting ? step->setFail : step->readFail);
        view.appendMemoLine(QString());
        return;
    case C::WrongAnswers:
        addResultLine(view, step->readFail);
        view.appendMemoLine(QString());
        view.notify(N::ProtocolEvent,
                    QCoreApplication::translate("SessionResult", "连续3次应答错误"));
        return;
    case C::NoAnswer:
        view.notify(N::ProtocolEvent, QCoreApplication::translate("SessionResult", "应答超时"));
        return;
    case C::NotOpen:
        view.notify(N::ProtocolEvent, QCoreApplication::translate("SessionResult", "UDP没建立"));
        return;
    case C::SendFailed:
        view.notify(N::ProtocolEvent, result.detail.isEmpty() ? QCoreApplication::translate(
                                                                    "SessionResult", "UDP没建立")
                                                              : result.detail);
        return;
    case C::InvalidValue:
        view.notify(N::InputError,
                    QCoreApplication::translate("SessionResult", "请在下拉列表中选择有效的选项！"));
        return;
    case C::NameTooLong:
        view.notify(N::InputError,
                    QCoreApplication::translate("SessionResult", "设备名称不能超过15个字节"));
        return;
    case C::FrameTooLong:
        view.notify(N::InputError, QCoreApplication::translate(
                                       "SessionResult", "参数过长，命令帧不能超过100个字节"));
        return;
    case C::ModuleChanged:
        addInfoLine(view, QCoreApplication::translate("SessionResult",
                                                      "模块内部数据已被更改，请稍后重新搜索!"));
        return;
    }
}
