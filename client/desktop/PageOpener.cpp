#include "desktop/PageOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace quillon {

namespace {
std::function<void(const QString&)>& opener() {
    static std::function<void(const QString&)> o;
    return o;
}
}  // namespace

void OpenPage(const QString& url, QWidget* /*owner*/) {
    if (opener()) {
        opener()(url);
        return;
    }
    QDesktopServices::openUrl(QUrl(url));
}

void setPageOpener(std::function<void(const QString&)> o) {
    opener() = std::move(o);
}

}  // namespace quillon
