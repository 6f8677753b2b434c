#include "lampwidget.h"

#include <QPainter>

LampWidget::LampWidget(QWidget *parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void LampWidget::setBrushColor(quint32 bgr) {
    if (bgr == m_brushColor)
        return;
    m_brushColor = bgr;
    update();
}

QColor LampWidget::toQColor(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void LampWidget::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(toQColor(m_brushColor));
    // Keep the outline inside the widget so it is not clipped.
    const int side = qMin(width(), height()) - 1;
    painter.drawEllipse(QRectF(0.5, 0.5, side, side));
}
