#pragma once

#include <QObject>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace quillon {

// The program's button: a picture box (a QLabel named like "cmdOK") that shows the
// "ButtonUp" face, and a caption label (named like "Label2") lying on top of it. Both are
// children of the given parent, so a window finds them by name like any other control.
// Pressing the mouse on either shows the "ButtonDwn" face, releasing shows "ButtonUp"
// again, and a click on either (press and release over the same control) emits clicked().
// The object itself is a child of the parent and lives as long as it does.
class PictureButton : public QObject {
    Q_OBJECT
  public:
    PictureButton(QWidget* parent, const QString& pictureName, const QString& labelName,
                  const QString& caption);

    QLabel* picture() const { return picture_; }
    QLabel* label() const { return label_; }

    // Places the picture box and, centred on it with the same rectangle, the caption.
    void setGeometry(const QRect& pixels);
    void setGeometryTwips(int left, int top, int width, int height);

    void setCaption(const QString& caption);
    QString caption() const;

    // Both controls together: a disabled button shows its face but ignores the mouse.
    void setEnabled(bool enabled);
    bool isEnabled() const;
    void setVisible(bool visible);

    // True while the mouse button is held down on it (the "ButtonDwn" face is shown).
    bool isDown() const { return down_; }

    // Runs the button's action as a click would.
    void click();

  signals:
    void clicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showFace(bool down);

    QLabel* picture_;
    QLabel* label_;
    bool down_ = false;
};

}  // namespace quillon
