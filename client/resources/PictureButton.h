#pragma once

#include <QLabel>
#include <QObject>
#include <QRect>
#include <QString>

class QWidget;

namespace quillon {

class PictureButton;

// The picture box of a PictureButton: the control that takes the keyboard focus and that
// assistive technology sees as the button (its role is a button, its name the caption, and
// its press action runs the button). Drawn with a dotted frame while it has the focus.
class ButtonPicture : public QLabel {
    Q_OBJECT
  public:
    ButtonPicture(PictureButton* owner, QWidget* parent);
    PictureButton* owner() const { return owner_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    PictureButton* owner_;
};

// The program's button: a picture box (named like "cmdOK") that shows the "ButtonUp" face, and
// a caption label (named like "Label2") lying on top of it. Both are children of the given
// parent, so a window finds them by name like any other control. Pressing the mouse on either
// shows the "ButtonDwn" face, releasing shows "ButtonUp" again, and a click on either (press
// and release over the same control) emits clicked().
//
// The keyboard reaches the picture box with Tab (a mouse click gives it no focus, so a click
// leaves the focus where it was); Space runs the button when released, showing the pressed
// face while held, and Enter runs it at once. The object itself is a child of the parent and
// lives as long as it does.
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

    // Both controls together: a disabled button shows its face but ignores the mouse and the
    // keyboard.
    void setEnabled(bool enabled);
    bool isEnabled() const;
    void setVisible(bool visible);

    // A button that keeps its "ButtonUp" face while Space holds it down.
    void setKeepsFace(bool keeps) { keepsFace_ = keeps; }

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
    bool keyEvent(QEvent* event);

    ButtonPicture* picture_;
    QLabel* label_;
    bool down_ = false;
    // Space went down on the focused picture and has not come up yet.
    bool spaceHeld_ = false;
    bool keepsFace_ = false;
};

}  // namespace quillon
