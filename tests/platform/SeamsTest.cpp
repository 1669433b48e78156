#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "desktop/Twips.h"
#include "desktop/WidgetMessageBoxes.h"
#include "platform/Clock.h"
#include "platform/Endpoints.h"
#include "platform/MessageBox.h"
#include "support/Seams.h"

using namespace quillon;

TEST(Twips, ConvertsAtFifteenTwipsPerPixel) {
    EXPECT_EQ(twipsToPixels(1440), 96);
    EXPECT_EQ(twipsToPixels(4455), 297);
    EXPECT_EQ(pixelsToTwips(297), 4455);
    EXPECT_EQ(twipsRect(150, 300, 4455, 15), QRect(10, 20, 297, 1));
}

TEST(Seams, ScriptedBoxesAnswerInOrderAndRestoreOnExit) {
    {
        test::ScriptedMessageBoxes boxes;
        boxes.queueAnswer(MsgAnswer::No);
        EXPECT_EQ(MsgBox("Really?", MsgButtons::YesNo, "Corvane"), MsgAnswer::No);
        EXPECT_EQ(MsgBox("Again?", MsgButtons::YesNo, "Corvane"), MsgAnswer::Yes);
        ASSERT_EQ(boxes.shown().size(), 2u);
        EXPECT_EQ(boxes.shown()[0].title, "Corvane");
        EXPECT_EQ(boxes.texts(), QStringList({"Really?", "Again?"}));
    }
    test::FixedClock clock(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)));
    EXPECT_EQ(Now(), QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)));
}

TEST(Endpoints, OverridesAreUndoneByReset) {
    endpoints().updateHost = "127.0.0.1";
    resetEndpoints();
    EXPECT_EQ(endpoints().updateHost, kDefaultUpdateHost);
    EXPECT_TRUE(endpoints().webSite.startsWith("http://"));
}

TEST(WidgetMessageBoxes, ALineThatFitsTheScreenIsNotBrokenBeforeItsLastWord) {
    UseWidgetMessageBoxes();
    const QString first = QStringLiteral(
        "By closing this application you will remove your DNS records from the DNS Server ");
    const QString text = first + QStringLiteral(
                                     "\r\nmaking your server unreachable by it's "
                                     "Corvane domain name.\r\n\r\nAre you sure?");
    int shownWidth = -1;
    int needed = 0;
    // Looks at the box once it shows, then answers No.
    QTimer look;
    look.setInterval(0);
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        shownWidth = label->contentsRect().width();
        needed = label->fontMetrics().horizontalAdvance(first);
        box->button(QMessageBox::No)->click();
    });
    look.start();
    const MsgAnswer answer = MsgBox(text, MsgButtons::YesNo, QStringLiteral("Corvane"));
    setProgramMsgBox(nullptr);
    EXPECT_EQ(answer, MsgAnswer::No);
    EXPECT_GE(shownWidth, needed) << "the first line is broken";
}
