#include "app/DividerBar.h"

#include <cmath>
#include <QMouseEvent>
#include <QPainter>

namespace mendor {

namespace {

const QColor kDragColour(0x80, 0x80, 0x80);

int roundedX(const QMouseEvent* event) {
    return static_cast<int>(std::lround(event->position().x()));
}

} // namespace

DividerBar::DividerBar(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SplitHCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DividerBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        anchor_ = roundedX(event);
        update();
        return;
    }
    if (isDragging())
        finishDrag(roundedX(event));
    anchor_ = kNoDrag;
}

void DividerBar::mouseMoveEvent(QMouseEvent* event) {
    if (!isDragging())
        return;
    const int position = roundedX(event);
    if (position == anchor_)
        return;
    move(x() + position, y());
    anchor_ = position;
}

void DividerBar::mouseReleaseEvent(QMouseEvent* event) {
    if (isDragging())
        finishDrag(roundedX(event));
}

void DividerBar::finishDrag(int position) {
    if (position != anchor_)
        move(x() + position, y());
    anchor_ = kNoDrag;
    update();
    emit dropped(x());
}

void DividerBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), isDragging() ? kDragColour : palette().color(QPalette::Button));
}

} // namespace mendor
