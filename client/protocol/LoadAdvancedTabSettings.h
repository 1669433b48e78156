#pragma once

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

// Reads the endpoint overrides UpdateHost, SecureHost, WebSite and TrustedCA of the key
// "SOFTWARE\Corvane\Init" into endpoints(); a value that is missing or empty leaves that
// endpoint as it is. Runs when the login window is created, before any service address is
// formed and right before LoadAdvancedTabSettings reads the same key. So that a component or
// store that cannot be opened is reported once, not twice, a failure here is not reported: the
// endpoints keep their constants, the result is false, and the settings load that follows
// meets the same failure and reports it.
bool LoadEndpointOverrides();

}  // namespace quillon
