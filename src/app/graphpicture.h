// The graph window's picture control: it keeps its own copy of the picture it was given and
// stretches it over its whole size, every picture pixel a block of whole screen pixels (no
// smoothing), and hands the mouse's presses, moves and releases to the window.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

namespace kotopa {

class GraphPicture : public QWidget {
    Q_OBJECT
public:
    explicit GraphPicture(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }

    // Positions in the control's own coordinates.
    std::function<void(int x, int y)> onMouseDown;
    std::function<void(int x, int y)> onMouseMove;
    std::function<void()> onMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
};

}  // namespace kotopa
