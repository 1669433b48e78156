#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>

#include "desktop/AfterFirstPaint.h"
#include "support/Wait.h"

namespace quillon::test {
namespace {

// The deferred work waits for the first paint, runs once, and not at all when its context goes.
TEST(AfterFirstPaintTest, RunsOnceAfterTheFirstPaintAndNeverForAGoneContext) {
    QWidget window;
    window.resize(120, 80);
    int runs = 0;
    AfterFirstPaint(&window, &window, [&runs] { ++runs; });
    auto* gone = new QObject;
    int goneRuns = 0;
    AfterFirstPaint(&window, gone, [&goneRuns] { ++goneRuns; });
    delete gone;
    EXPECT_EQ(runs, 0);  // nothing before the window is on the screen

    window.show();
    ASSERT_TRUE(waitUntil([&runs] { return runs == 1; }));
    // A later paint queues nothing: a zero timer set after it runs with nothing before it.
    window.repaint();
    bool queuedAfter = false;
    QTimer::singleShot(0, [&queuedAfter] { queuedAfter = true; });
    ASSERT_TRUE(waitUntil([&queuedAfter] { return queuedAfter; }));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(goneRuns, 0);
}

}  // namespace
}  // namespace quillon::test
