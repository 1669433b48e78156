#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace quillon {

// Opens a web page in the user's browser and does not wait for it; a page that cannot be
// opened is not reported. Tests install an opener that records the address instead.
void OpenPage(const QString& url, QWidget* owner = nullptr);

// Installs an opener; an empty function restores the desktop's browser.
void setPageOpener(std::function<void(const QString& url)> opener);

}  // namespace quillon
