#pragma once

#include <QPoint>
#include <QString>

// What the test console needs from the main window. The window implements it
// over its widgets; tests implement it with a recorder. Nothing here is a
// widget type, so the console logic stays in the QtCore-only core.

// Colours in the window's 0x00BBGGRR form.
namespace lampcolour {
inline constexpr quint32 Silver = 0xC0C0C0; // closed, or state unknown
inline constexpr quint32 Red = 0x0000FF;    // console open; relay or input off
inline constexpr quint32 Lime = 0x00FF00;   // relay or input on
} // namespace lampcolour

class ConsoleView {
public:
    // Text fields the console reads or writes.
    enum class Field {
        Edt_LocalIP,
        Edt_LocalPort,
        Edt_RemoteIP,
        Edt_RemotePort,
        MemoTCPSend,
        Edt_Time
    };

    // Controls whose caption, visibility, enabled state or position the
    // console changes.
    enum class Control {
        Label_IP,
        Label_Port,
        Label17,
        Label18,
        Edt_RemoteIP,
        Edt_RemotePort,
        Cmb_RemoteIP,
        Cmb_RemotePort,
        But_TCPCtl,
        But_TCPSend,
        But_UDPFind,
        But_RelayStateQuery,
        But_RelayStateSet,
        Button3,
    };

    // The two parallel client lists of the server mode.
    enum class ClientList { Cmb_RemoteIP, Cmb_RemotePort };

    // The two relay state boxes of a relay set command.
    enum class StateBox { CB_Relay_1, CB_Relay_0 };

    virtual ~ConsoleView() = default;

    virtual QString text(Field field) const = 0;
    virtual void setText(Field field, const QString &text) = 0;
    virtual int tcpModeIndex() const = 0;

    virtual void setCaption(Control control, const QString &caption) = 0;
    virtual void setVisible(Control control, bool visible) = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual QPoint position(Control control) const = 0;
    virtual void move(Control control, QPoint topLeft) = 0;

    virtual void appendItem(ClientList list, const QString &text) = 0;
    virtual void deleteItem(ClientList list, int index) = 0;
    virtual int itemCount(ClientList list) const = 0;
    virtual QString itemText(ClientList list, int index) const = 0;
    virtual void selectItem(ClientList list, int index) = 0;
    virtual int selectedItem(ClientList list) const = 0;

    virtual void setStateLamp(quint32 colour) = 0;           // TCPStateDisplay
    virtual void setRelayLamp(int slot, quint32 colour) = 0; // RelayLamps[slot], relay slot+1
    virtual void setInputLamp(int slot, quint32 colour) = 0; // InputLamps[slot], input slot+1

    // RelayBoxes (slots 0..15) and InputBoxes (slots 0..12). Setting a box
    // must not run its click handler; the console does that itself.
    virtual bool relayBoxChecked(int slot) const = 0;
    virtual void setRelayBoxChecked(int slot, bool checked) = 0;
    virtual bool inputBoxChecked(int slot) const = 0;
    virtual void setInputBoxChecked(int slot, bool checked) = 0;
    virtual bool stateBoxChecked(StateBox box) const = 0;
    virtual void setStateBoxChecked(StateBox box, bool checked) = 0;

    // The transcript MemoTCPRec. Text only ever grows at the end, so the
    // window can append without rewriting what is already shown. Line breaks
    // arrive as "\r\n" (or whatever the peer sent).
    virtual void appendTranscript(const QString &text) = 0;
    virtual void clearTranscript() = 0;
    virtual void scrollTranscriptToBottom() = 0;
    virtual bool transcriptEmpty() const = 0;
    // True also for an empty transcript.
    virtual bool transcriptLastLineEmpty() const = 0;

    // Modal "Warning" box with the stop icon. Socket events and timers keep
    // running while it is open, so the console may be re-entered from here.
    virtual void warning(const QString &text) = 0;

    // The configuration side's controls (module search, list, query and set).
    virtual void enableConfigControls(bool enabled) = 0;
};
