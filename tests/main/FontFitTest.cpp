#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>

#include "MainFixture.h"
#include "desktop/Twips.h"
#include "diagnostics/frmAbout.h"
#include "protocol/MainWindowLink.h"

namespace quillon::test {
namespace {

// The windows built while the application font is the test's point size.
class FontFitTest : public MainFixture, public ::testing::WithParamInterface<double> {
  protected:
    FontFitTest() : saved_(QApplication::font()) {
        QFont font = saved_;
        font.setPointSizeF(GetParam());
        QApplication::setFont(font);
    }
    ~FontFitTest() override { QApplication::setFont(saved_); }

    // Every caption of the window, shown or not, has the room its text takes.
    static void expectEveryCaptionFits(const QWidget* window) {
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (label->text().isEmpty() || label->wordWrap()) {
                continue;
            }
            const int needed = label->fontMetrics().horizontalAdvance(label->text());
            EXPECT_LE(needed, label->contentsRect().width())
                << label->objectName().toStdString() << " \"" << label->text().toStdString()
                << "\" is cut";
        }
        for (const QAbstractButton* box : window->findChildren<QAbstractButton*>()) {
            if (box->text().isEmpty() || box->isWindow()) {
                continue;
            }
            EXPECT_LE(box->sizeHint().width(), box->width())
                << box->objectName().toStdString() << " \"" << box->text().toStdString()
                << "\" is cut";
        }
    }

    QFont saved_;
};

TEST_P(FontFitTest, TheLoginWindowsCaptionsFit) {
    expectEveryCaptionFits(&window());
}

TEST_P(FontFitTest, TheAboutWindowsCaptionsFit) {
    frmAbout about;
    expectEveryCaptionFits(&about);
}

TEST_P(FontFitTest, TheMainWindowsCaptionsHeadersAndStatusFit) {
    ASSERT_TRUE(startAs(QStringLiteral("demo")));
    main().setStatus(QString::fromLatin1(kStatusNotConnected), kStatusColourNotConnected);
    expectEveryCaptionFits(&main());
    const QTreeWidget* list = mainControl<QTreeWidget>("lvDomainUser");
    const QHeaderView* header = list->header();
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int i = 0; i < header->count(); ++i) {
        const QString text = list->headerItem()->text(i);
        EXPECT_LE(header->fontMetrics().horizontalAdvance(text) + margins, header->sectionSize(i))
            << "header \"" << text.toStdString() << "\" is cut";
    }
}

INSTANTIATE_TEST_SUITE_P(PointSizes, FontFitTest, ::testing::Values(9.0, 11.0, 12.0),
                         [](const auto& info) {
                             return "Pt" + std::to_string(static_cast<int>(info.param));
                         });

}  // namespace
}  // namespace quillon::test
