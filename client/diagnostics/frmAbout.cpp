#include "diagnostics/frmAbout.h"

#include <QColor>
#include <QLabel>
#include <algorithm>

#include "Version.h"
#include "desktop/LinkControl.h"
#include "desktop/PageOpener.h"
#include "desktop/ProgramForm.h"
#include "desktop/Twips.h"
#include "platform/Endpoints.h"
#include "resources/PictureButton.h"
#include "resources/Resources.h"

namespace quillon {

QPointer<frmAbout> frmAbout::instance_;

namespace {
// The window and its controls, in twips.
constexpr int kWidth = 6600;
constexpr int kHeight = 3420;
}  // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent),
      lblTitle_(new QLabel(this)),
      Image1_(new QLabel(this)),
      Label1_(new QLabel(this)),
      cmdOK_(new PictureButton(this, QStringLiteral("cmdOK"), QStringLiteral("Label2"),
                               QStringLiteral("Ok"))) {
    setObjectName(QStringLiteral("frmAbout"));
    MarkAsForm(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowIcon(programIcon());
    setFixedSize(twipsToPixels(kWidth), twipsToPixels(kHeight));

    Image1_->setObjectName(QStringLiteral("Image1"));
    Image1_->setGeometry(twipsRect(300, 300, 1440, 1440));
    Image1_->setPixmap(logoPicture(std::min(Image1_->width(), Image1_->height())));
    Image1_->setAlignment(Qt::AlignCenter);
    Image1_->setAccessibleName(QStringLiteral("Corvane"));

    lblTitle_->setObjectName(QStringLiteral("lblTitle"));
    lblTitle_->setGeometry(twipsRect(1980, 300, 4320, 1440));
    lblTitle_->setTextFormat(Qt::PlainText);
    lblTitle_->setWordWrap(true);
    lblTitle_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setGeometry(twipsRect(300, 2040, 6000, 300));
    Label1_->setAlignment(Qt::AlignCenter);
    Label1_->setText(QStringLiteral("Click here to view the Corvane Terms of Service"));
    ShowAsLink(Label1_, QColor(0x06, 0x45, 0xad));
    Label1_->setCursor(handCursor());
    MakeLink(Label1_, [this] { Label1_Click(); });

    cmdOK_->setGeometryTwips((kWidth - 1200) / 2, 2640, 1200, 375);
    connect(cmdOK_, &PictureButton::clicked, this, &frmAbout::cmdOK_Click);
    // Ok takes the focus when the window opens; the terms link follows it.
    setTabOrder(cmdOK_->picture(), Label1_);
    cmdOK_->picture()->setFocus();

    // Only one at a time: the newest is the one the program finds.
    instance_ = this;
    connect(this, &QDialog::finished, this, [this] {
        if (instance_ == this) {
            instance_ = nullptr;
        }
    });
    Form_Load();
}

frmAbout::~frmAbout() {
    if (instance_ == this) {
        instance_ = nullptr;
    }
}

QString frmAbout::versionText(int major, int minor, int revision) {
    return QStringLiteral("Corvane Dynamic DNS Version ") + QString::number(major) +
           QLatin1Char('.') + QString::number(minor) + QStringLiteral(" Rev ") +
           QString::number(revision);
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("About Corvane DNS App"));
    lblTitle_->setText(
        versionText(QUILLON_VERSION_MAJOR, QUILLON_VERSION_MINOR, QUILLON_VERSION_REVISION) +
        QLatin1Char('\n') + QStringLiteral("Copyright \u00a9 2026 The Quillon developers") +
        QLatin1Char('\n') + QStringLiteral("Released under the MIT licence"));
}

void frmAbout::Label1_Click() {
    OpenPage(endpoints().webSite + QStringLiteral("/tos.asp"), this);
}

void frmAbout::cmdOK_Click() {
    close();
}

frmAbout* frmAbout::loaded() {
    return instance_.data();
}

void frmAbout::ShowAbout(QWidget* parent, bool modal) {
    if (frmAbout* open = loaded()) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    auto* about = new frmAbout(parent);
    about->setAttribute(Qt::WA_DeleteOnClose);  // unloaded when closed
    if (modal) {
        about->exec();  // deletes itself when closed
    } else {
        about->setModal(false);
        about->show();
    }
}

}  // namespace quillon
