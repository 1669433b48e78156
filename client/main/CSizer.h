#pragma once

#include <QObject>
#include <QPointer>
#include <QVector>
#include <QWidget>

namespace quillon {

// Anchors controls to the edges of a container as it is resized. Each registered control
// keeps the geometry it had when registered; at every layout pass it is moved and stretched by
// how much the container grew since Create, according to its mode bits:
//   1  Left   = registered Left + dW      (moves with the right edge)
//   2  Top    = registered Top + dH       (moves with the bottom edge)
//   4  Width  = registered Width + dW     (stretches horizontally)
//   8  Height = registered Height + dH - 15 (stretches vertically)
// Each sum is clamped at 0 (the mode-8 height before the 15 is taken off). All sizes are
// twips; a child's geometry is relative to its own parent; a container that is a window is
// measured by its outer size, frame included, as its geometry is given. The container never
// gets smaller than the minimum size given to Create, and a window never larger than its
// screen's available area (which wins over a minimum that does not fit on the screen).
//
// A control parked far to the left (Left at or below -37500) is registered at its unparked
// position (Left + 75000) and left alone by the layout while it stays parked.
class CSizer : public QObject {
    Q_OBJECT
  public:
    explicit CSizer(QObject* parent = nullptr);
    ~CSizer() override;

    // Takes the container and its current size as the initial size; 0 for a minimum means none.
    // Lays the children out whenever the container's window (the "parent form": the container
    // itself when it is a window, else its parent's window) is resized.
    void Create(QWidget* container, int minHeight = 0, int minWidth = 0);
    void Add(QWidget* child, int mode);
    // Lays the children out now.
    void Resize();
    // Puts every registered control that is not parked back at the geometry it was registered
    // with. Used when the sizer is given up at the container's initial size, so that a sizer
    // created later registers the designed geometry and not one that a layout pass trimmed.
    void restoreRegistered();

    int count() const;
    // The upper bound of the per-child arrays: 10 at first, doubled as registrations need.
    int capacity() const;
    // 1-based, as registered (parked controls unparked).
    int registeredLeft(int index) const;
    int registeredTop(int index) const;
    int registeredWidth(int index) const;
    int registeredHeight(int index) const;
    int mode(int index) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void grow();

    QPointer<QWidget> container_;
    QPointer<QWidget> parentForm_;
    QVector<QPointer<QWidget>> children_;
    // 1-based arrays: slot 0 is unused, so the upper bound is size() - 1.
    QVector<qint16> modes_;
    QVector<qint32> left_, top_, height_, width_;
    qint32 initialHeight_ = 0;
    qint32 initialWidth_ = 0;
    qint32 minHeight_ = 0;
    qint32 minWidth_ = 0;
};

}  // namespace quillon
