#pragma once

#include <QWidget>

// A round status lamp. Colours are given as 0x00BBGGRR values, the form the
// relay and console code uses throughout, so callers never convert.
class LampWidget : public QWidget {
    Q_OBJECT
    Q_PROPERTY(quint32 brushColor READ brushColor WRITE setBrushColor)

public:
    static constexpr quint32 Silver = 0xC0C0C0; // idle or unknown
    static constexpr quint32 Red = 0x0000FF;    // open, or relay/input off
    static constexpr quint32 Lime = 0x00FF00;   // relay/input on

    explicit LampWidget(QWidget *parent = nullptr);

    quint32 brushColor() const { return m_brushColor; }
    void setBrushColor(quint32 bgr);

    // 0x00BBGGRR to a QColor.
    static QColor toQColor(quint32 bgr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    quint32 m_brushColor = Silver;
};
