// Developer aid: shows the About window on its own, for a look or a screenshot.
#include <QApplication>

#include "diagnostics/frmAbout.h"
#include "platform/QtThreadsEnd.h"

int main(int argc, char** argv) {
    const quillon::QtThreadsEndBeforeExit qtThreadsEnd;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    quillon::frmAbout::ShowAbout(nullptr, true);
    return 0;
}
