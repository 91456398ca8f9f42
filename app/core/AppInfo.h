#pragma once

#include <QString>
#include <QUrl>

// Facts about this build of the application and its maker.
namespace AppInfo {

inline constexpr char kProductName[] = "Velarion";
inline constexpr char kVersion[] = VELARION_VERSION;
inline constexpr char kBuildNumber[] = VELARION_BUILD_NUMBER;
inline constexpr char kOrganizationName[] = "orvandel";
inline constexpr char kOrganizationDomain[] = "orvandel.com";

inline QUrl websiteUrl() {
    return QUrl(QStringLiteral("https://velarion.orvandel.com/"));
}

inline QUrl supportMailUrl() {
    return QUrl(QStringLiteral("mailto:support@orvandel.com?subject=Velarion%20Support"));
}

inline QString websiteHostName() {
    return websiteUrl().host();
}

// The English title of the web-site link: "Visit " and the site's host name.
inline QString visitWebsiteTitle() {
    return QStringLiteral("Visit ") + websiteHostName();
}

}  // namespace AppInfo
