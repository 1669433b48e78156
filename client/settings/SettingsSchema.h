#pragma once

#include <QLatin1String>
#include <QString>

// The store's key and value names, spelled here and nowhere else. Names compare without regard
// to case in the store, but each is written in one spelling, the one that existing stores hold.
namespace quillon::store {

// The program-wide key: the saved login and the connection settings.
inline constexpr QLatin1String kInitKey{"SOFTWARE\\Corvane\\Init"};
inline constexpr QLatin1String kSaveLogin{"bSaveLogin"};
inline constexpr QLatin1String kUsername{"Username"};
inline constexpr QLatin1String kPassword{"Password"};
inline constexpr QLatin1String kSSL{"bSSL"};
inline constexpr QLatin1String kPort{"Port"};
inline constexpr QLatin1String kRefreshRate{"RefreshRate"};
// Endpoint overrides: how the demo and the tests point the client at another service.
inline constexpr QLatin1String kUpdateHost{"UpdateHost"};
inline constexpr QLatin1String kSecureHost{"SecureHost"};
inline constexpr QLatin1String kWebSite{"WebSite"};
inline constexpr QLatin1String kTrustedCA{"TrustedCA"};

// An account's own key, "SOFTWARE\Corvane\" and the user name.
inline QString AccountKey(const QString& username) {
    return QStringLiteral("SOFTWARE\\Corvane\\") + username;
}
inline constexpr QLatin1String kAutoIPs{"AutoIPs"};
inline constexpr QLatin1String kPendingReAdds{"PendingReAdds"};
// A free account's host: its last address, the automatic-IP box and the extra records.
inline constexpr QLatin1String kIPAddress{"IPAddress"};
inline constexpr QLatin1String kAutoIP{"bAutoIP"};
inline constexpr QLatin1String kMX{"bMX"};
inline constexpr QLatin1String kFTP{"bFTP"};
inline constexpr QLatin1String kMail{"bMail"};
inline constexpr QLatin1String kTelnet{"bTelnet"};
inline constexpr QLatin1String kVNC{"bVNC"};
inline constexpr QLatin1String kWWW{"bWWW"};
inline constexpr QLatin1String kIRC{"bIRC"};
inline constexpr QLatin1String kPCAW{"bPCAW"};
// The main window: its place and size in twips, its state, and the grid's columns and sort.
inline constexpr QLatin1String kMainLeft{"MainLeft"};
inline constexpr QLatin1String kMainTop{"MainTop"};
inline constexpr QLatin1String kMainWidth{"MainWidth"};
inline constexpr QLatin1String kMainHeight{"MainHeight"};
inline constexpr QLatin1String kWindowState{"WindowState"};
inline constexpr QLatin1String kSortCol{"SortCol"};
inline constexpr QLatin1String kSortOrder{"SortOrder"};
inline constexpr QLatin1String kSorted{"Sorted"};
// The width of the grid's column 0 to 4: "Col1" to "Col5".
inline QString ColumnWidthValue(int column) {
    return QStringLiteral("Col%1").arg(column + 1);
}

}  // namespace quillon::store
