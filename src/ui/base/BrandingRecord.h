#pragma once

#include <QString>

// The names and switches the program is issued with. Filled by modBranding.
struct BrandingRecord {
    QString ProductName;
    QString CompanyName;
    QString Comments; // the maker's web site, a bare host name
    bool UseSkin = false;
    bool UseSplashIcon = false;
    bool ShowBanner = false;
    QString BannerUrl;
};

// The fixed part of the record: what an issue of the program under another
// name or with other switches changes.
struct BrandingSwitches {
    bool UseSkin = false;
    bool UseSplashIcon = true;
    bool ShowBanner = true;
    QString BannerUrl;
};
