#pragma once
// The thin vertical bar between the left and right halves of the main window. While the left
// button is held it turns grey and its left edge follows the mouse; when the drag ends it tells
// the window where it was dropped, and the window decides the width of the left half.
#include <climits>
#include <QWidget>

namespace mendor {

class DividerBar : public QWidget {
    Q_OBJECT
public:
    /// The anchor value that means no drag is in progress.
    static constexpr int kNoDrag = INT_MAX;

    explicit DividerBar(QWidget* parent = nullptr);

    bool isDragging() const { return anchor_ != kNoDrag; }
    int anchor() const { return anchor_; }
    void resetAnchor() { anchor_ = kNoDrag; }

signals:
    /// The drag ended with the bar's left edge at barLeft (in the parent's coordinates).
    void dropped(int barLeft);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void finishDrag(int position);

    int anchor_ = kNoDrag;
};

} // namespace mendor
