#pragma once

#include <QString>

namespace quillon {

// The colours of the connection status label `lblStatus` (the text colour, as the design's
// colour values: red + 256 * green + 65536 * blue). The colour is the only memory of the state.
inline constexpr int kStatusColourConnected = 32768;   // dark green
inline constexpr int kStatusColourNotConnected = 192;  // dark red
inline constexpr const char* kStatusConnected = "Connected";
inline constexpr const char* kStatusNotConnected = "Not Connected with Server";

// What the service dialogue and the login need of the main window. The main window implements
// it and registers itself with setMainWindowLink(); tests register a recording double.
class MainWindowLink {
  public:
    virtual ~MainWindowLink() = default;

    // Sets the caption and the text colour of `lblStatus`.
    virtual void setStatus(const QString& caption, int colour) = 0;
    // The text colour `lblStatus` shows now.
    virtual int statusColour() const = 0;
    // The tray switch: the connected icon when true, the not-connected icon when false.
    virtual void SysTrayIcon(bool bON) = 0;
    // The main window's Enabled property.
    virtual void setMainEnabled(bool enabled) = 0;
    // Prepares the sub-domain panel after a login of a sub-domain account.
    virtual void LoadFreeUserInfo() = 0;
};

// Registers the main window (nullptr unregisters). The registration does not take ownership.
void setMainWindowLink(MainWindowLink* link);
MainWindowLink* mainWindowLink();

// The calls the rest of the client makes. With no main window registered they do nothing,
// except that the status caption and colour are kept here (starting as "Connected" in dark
// green, as the main window starts), so the connection-status rules still hold.
void SetMainStatus(const QString& caption, int colour);
int MainStatusColour();
QString MainStatusCaption();  // the kept caption; with a main window registered, the last set
void MainSysTrayIcon(bool bON);
void SetMainEnabled(bool enabled);
void MainLoadFreeUserInfo();

// Puts the kept status back to "Connected" in dark green (tests).
void resetMainStatus();

}  // namespace quillon
