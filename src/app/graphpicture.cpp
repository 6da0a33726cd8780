#include "graphpicture.h"

#include <QMouseEvent>
#include <QPainter>

namespace kotopa {

GraphPicture::GraphPicture(QWidget* parent) : QWidget(parent) {}

void GraphPicture::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void GraphPicture::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(rect(), picture_);
}

void GraphPicture::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (onMouseDown) onMouseDown(at.x(), at.y());
}

void GraphPicture::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (onMouseMove) onMouseMove(at.x(), at.y());
}

void GraphPicture::mouseReleaseEvent(QMouseEvent*) {
    if (onMouseUp) onMouseUp();
}

}  // namespace kotopa
