#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFrame>
#include <QWidget>
#include <vector>

#include "desktop/Twips.h"
#include "desktop/WindowFrame.h"
#include "main/CSizer.h"
#include "support/GeometryPrinters.h"

namespace quillon::test {
namespace {

QRect twipsOf(const QWidget* w) {
    return QRect(pixelsToTwips(w->x()), pixelsToTwips(w->y()), pixelsToTwips(w->width()),
                 pixelsToTwips(w->height()));
}

void resizeTwips(QWidget* w, int width, int height) {
    w->resize(twipsToPixels(width), twipsToPixels(height));
    QCoreApplication::processEvents();
}

// A window 6000 x 4500 twips with a frame inside it, as the main window nests its controls.
class CSizerTest : public ::testing::Test {
  protected:
    CSizerTest() {
        window_.setGeometry(twipsRect(1500, 1500, 6000, 4500));
        frame_ = new QFrame(&window_);
        frame_->setGeometry(twipsRect(120, 120, 5700, 4200));
        window_.show();
        QCoreApplication::processEvents();
    }

    QWidget* child(int left, int top, int width, int height) {
        auto* w = new QWidget(frame_);
        w->setGeometry(twipsRect(left, top, width, height));
        w->show();
        return w;
    }

    QWidget window_;
    QFrame* frame_ = nullptr;
};

TEST_F(CSizerTest, ModesMoveAndStretchFromTheRegisteredGeometryWithRedrawSuspended) {
    QWidget* right = child(4500, 300, 900, 300);
    QWidget* bottom = child(300, 3600, 900, 300);
    QWidget* stretch = child(300, 300, 3000, 2400);
    QWidget* corner = child(4500, 3600, 900, 300);
    CSizer sizer;
    sizer.Create(&window_, 3000, 4500);
    sizer.Add(frame_, 12);
    sizer.Add(right, 1);
    sizer.Add(bottom, 2);
    sizer.Add(stretch, 12);
    sizer.Add(corner, 3);

    // Every move happens while the container paints nothing.
    std::vector<bool> updatingDuringMoves;
    class Spy : public QObject {
      public:
        explicit Spy(QWidget* container, std::vector<bool>& seen)
            : container_(container), seen_(seen) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
                seen_.push_back(container_->updatesEnabled());
            }
            return false;
        }
        QWidget* container_;
        std::vector<bool>& seen_;
    } spy(&window_, updatingDuringMoves);
    stretch->installEventFilter(&spy);
    corner->installEventFilter(&spy);

    resizeTwips(&window_, 6000 + 1005, 4500 + 495);
    EXPECT_EQ(twipsOf(frame_), QRect(120, 120, 5700 + 1005, 4200 + 495 - 15));
    EXPECT_EQ(twipsOf(right), QRect(4500 + 1005, 300, 900, 300));
    EXPECT_EQ(twipsOf(bottom), QRect(300, 3600 + 495, 900, 300));
    EXPECT_EQ(twipsOf(stretch), QRect(300, 300, 3000 + 1005, 2400 + 495 - 15));
    EXPECT_EQ(twipsOf(corner), QRect(4500 + 1005, 3600 + 495, 900, 300));
    ASSERT_FALSE(updatingDuringMoves.empty());
    for (bool updating : updatingDuringMoves) {
        EXPECT_FALSE(updating);
    }
    EXPECT_TRUE(window_.updatesEnabled());

    // Smaller than the minimum: the container is put back at its minimum size and the children
    // at their registered places (heights less the 15 twips).
    // A window's minimum is its outer size, the frame included.
    resizeTwips(&window_, 1500, 1500);
    EXPECT_EQ(OuterSizeTwips(&window_), QSize(4500, 3000));
    // Without a minimum each sum is clamped at 0: Left 300 - 900 gives 0, not a negative
    // Left; the height is clamped first and then reduced by 15, which a control cannot take
    // below 0.
    CSizer unbounded;
    stretch->removeEventFilter(&spy);
    corner->removeEventFilter(&spy);
    sizer.Create(nullptr);  // the first sizer lets go of the window
    QWidget* small = child(300, 300, 600, 600);
    unbounded.Create(&window_);
    unbounded.Add(small, 1 | 8);
    resizeTwips(&window_, 4500 - 900, 3000 - 900);
    EXPECT_EQ(twipsOf(small), QRect(0, 300, 600, 0));
}

TEST_F(CSizerTest, ArraysDoubleKeepingTheirContentsAndParkedControlsStayParked) {
    CSizer sizer;
    sizer.Create(&window_);
    EXPECT_EQ(sizer.capacity(), 10);
    std::vector<QWidget*> children;
    for (int i = 0; i < 25; ++i) {
        children.push_back(child(15 * i, 30 * i, 300, 300));
        sizer.Add(children.back(), 1 + (i % 2) * 8);
        // Room is made when a registration finds the arrays full.
        EXPECT_EQ(sizer.capacity(), i < 10 ? 10 : i < 20 ? 20 : 40) << i;
    }
    ASSERT_EQ(sizer.count(), 25);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(sizer.registeredLeft(i + 1), 15 * i);
        EXPECT_EQ(sizer.registeredTop(i + 1), 30 * i);
        EXPECT_EQ(sizer.mode(i + 1), 1 + (i % 2) * 8);
    }

    // -37500 counts as parked; one pixel further right does not.
    QWidget* parked = child(-40005, 300, 600, 300);
    QWidget* edge = child(-37500, 300, 600, 300);
    QWidget* near = child(-37485, 300, 600, 300);
    sizer.Add(parked, 1);
    sizer.Add(edge, 1);
    sizer.Add(near, 1);
    EXPECT_EQ(sizer.registeredLeft(26), -40005 + 75000);
    EXPECT_EQ(sizer.registeredLeft(27), -37500 + 75000);
    EXPECT_EQ(sizer.registeredLeft(28), -37485);

    resizeTwips(&window_, 6000 + 600, 4500);
    EXPECT_EQ(twipsOf(parked).left(), -40005);
    EXPECT_EQ(twipsOf(edge).left(), -37500);
    // Laid out: -37485 + 600 is negative, so Left is clamped at 0.
    EXPECT_EQ(twipsOf(near).left(), 0);
    EXPECT_EQ(twipsOf(children[24]).left(), 15 * 24 + 600);

    // Brought back onto the window, the parked control follows its unparked position.
    parked->move(0, parked->y());
    sizer.Resize();
    EXPECT_EQ(twipsOf(parked).left(), -40005 + 75000 + 600);
}

}  // namespace
}  // namespace quillon::test
