#include "desktop/FittingText.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>

namespace quillon {

namespace {

class TextFitter : public QObject {
  public:
    explicit TextFitter(QLabel* label) : QObject(label), label_(label), base_(label->font()) {
        label->installEventFilter(this);
        fit();
    }

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Paint:
            case QEvent::Resize:
            case QEvent::PaletteChange:
                fit();
                break;
            case QEvent::FontChange:
                if (!fitting_) {
                    base_ = label_->font();  // a font set from outside is the new base
                }
                break;
            default:
                break;
        }
        return false;
    }

  private:
    bool fits(const QFont& font) const {
        return QFontMetrics(font).horizontalAdvance(label_->text()) <=
               label_->contentsRect().width();
    }

    void fit() {
        QFont font = base_;
        if (!fits(font)) {
            font.setStretch(QFont::Condensed);
            const double smallest = base_.pointSizeF() * 0.75;
            while (!fits(font) && font.pointSizeF() - 0.25 >= smallest) {
                font.setPointSizeF(font.pointSizeF() - 0.25);
            }
        }
        if (font != label_->font()) {
            fitting_ = true;
            label_->setFont(font);
            fitting_ = false;
        }
    }

    QLabel* label_;
    QFont base_;
    bool fitting_ = false;
};

}  // namespace

void KeepTextWithinWidth(QLabel* label) {
    new TextFitter(label);
}

}  // namespace quillon
