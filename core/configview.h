#pragma once

#include <QString>

// The parameter controls of the configuration side, named like the window's
// controls so that a test failure reads like the form.
enum class ConfigControl {
    Cmb_Model,
    Edt_GATEWAY,
    Edt_MASK,
    Edt_IP,
    Edt_DIP,
    Edt_Port,
    Edt_DPort,
    Edt_MAC,
    DCHP_Model,
    Edt_Name,
    Cmb_Baud,
    Cmb_DataBit,
    Cmb_StopBit,
    Cmb_Parity,
    LaVersion,
};

// What the configuration controller needs from the main window. The window
// implements it over its widgets; tests implement it with a recorder. Nothing
// here may depend on a widget type, so the controller stays QtCore-only.
class ConfigView {
public:
    enum class MessageKind {
        ErrorOk,  // input error: stop icon, OK button
        OkCancel, // protocol notice: no icon, OK and Cancel; the answer is not used
    };

    virtual ~ConfigView() = default;

    // Text of an edit, a drop-down list's edit text, or a label.
    virtual QString controlText(ConfigControl control) const = 0;
    virtual void setControlText(ConfigControl control, const QString &text) = 0;
    // Index of the list item whose text is shown, -1 when the shown text
    // matches no item. Setting an index outside the items shows no selection.
    virtual int itemIndex(ConfigControl control) const = 0;
    virtual void setItemIndex(ConfigControl control, int index) = 0;

    // One line at the end of the information memo; an empty text is an empty
    // line. Time stamps are the controller's business.
    virtual void appendMemoLine(const QString &line) = 0;

    virtual void clearModuleList() = 0;
    virtual void appendModuleLine(const QString &line) = 0;
    virtual void replaceModuleLine(int row, const QString &line) = 0;

    // Modal: returns once the user has closed the box. Socket events and
    // timers keep running meanwhile, so the controller may be re-entered.
    virtual void showMessage(MessageKind kind, const QString &caption, const QString &text) = 0;

    virtual void enableConfigControls(bool enabled) = 0;
};
