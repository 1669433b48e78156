#pragma once

class QCheckBox;
class QComboBox;
class QWidget;

namespace quillon {

// Puts the stored connection settings of the key "SOFTWARE\Corvane\Init" into a window's
// advanced panel and sets sServiceURL from them. The window is the login window or the main
// window: its controls cboPorts, cboRefreshRate and chkSSL are found by object name. Ticking
// chkSSL here runs the window's own SSL handler (it listens to the box's toggled signal), as a
// user's click would. Any error outside the refresh-rate choice ends the load in the error
// report "basDNS.LoadAdvancedTabSettings()"; sServiceURL then keeps the value it had.
//
// The stored value bRunAsService is not read: no window offers a run-as-service choice, so a
// stored "1" is left alone and changes nothing.
void LoadAdvancedTabSettings(QWidget* window);

// What a window's SSL box does when its value changes: ticked, the secure service address and
// the port list disabled; cleared, the list enabled and the plain address with its port. A start
// with SSL stored leaves the list without a selection: clearing then selects the stored port
// ("Port" of "SOFTWARE\Corvane\Init"), or "80" when that is not an item or cannot be read.
void ApplySSLBox(const QCheckBox* chkSSL, QComboBox* cboPorts);

// Reads the endpoint overrides UpdateHost, SecureHost, WebSite and TrustedCA of the key
// "SOFTWARE\Corvane\Init" into endpoints(); a value that is missing or empty leaves that
// endpoint as it is. Runs when the login window is created, before any service address is
// formed and right before LoadAdvancedTabSettings reads the same key. A component that cannot
// be created is left to that load's report, so that the user sees the failure once; other
// errors end in the error report "basDNS.LoadEndpointOverrides()". False when the overrides
// could not be read (the endpoints keep their constants).
bool LoadEndpointOverrides();

}  // namespace quillon
