// Developer aid: shows the About window on its own, for a look or a screenshot.
#include <QApplication>

#include "diagnostics/frmAbout.h"
#include "platform/PooledThreadsEnd.h"

int main(int argc, char** argv) {
    const quillon::PooledThreadsEndBeforeExit poolEnds;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    quillon::frmAbout::ShowAbout(nullptr, true);
    return 0;
}
