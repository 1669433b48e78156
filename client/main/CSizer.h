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
// All sizes are twips. The container never gets smaller than the minimum size given to Create.
class CSizer : public QObject {
    Q_OBJECT
  public:
    explicit CSizer(QObject* parent = nullptr);
    ~CSizer() override;

    // Takes the container and its current size as the initial size; 0 for a minimum means none.
    // Lays the children out whenever the container's window (the "parent form") is resized.
    void Create(QWidget* container, int minHeight = 0, int minWidth = 0);
    void Add(QWidget* child, int mode);
    // Lays the children out now.
    void Resize();

    int count() const;
    // The upper bound of the per-child arrays: 10 at first, doubled as registrations need.
    int capacity() const;
    int registeredLeft(int index) const;  // 1-based, as registered (parked controls unparked)

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> container_;
    QPointer<QWidget> parentForm_;
    QVector<QPointer<QWidget>> children_;
    // 1-based arrays: slot 0 is unused.
    QVector<qint16> modes_;
    QVector<qint32> left_, top_, height_, width_;
    qint32 initialHeight_ = 0;
    qint32 initialWidth_ = 0;
    qint32 minHeight_ = 0;
    qint32 minWidth_ = 0;
};

}  // namespace quillon
