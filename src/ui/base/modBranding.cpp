#include "ui/base/modBranding.h"

#include "VersionInfo.h"
#include "ui/base/AppContext.h"

namespace modBranding {

BrandingSwitches shippedSwitches()
{
    BrandingSwitches switches;
    switches.UseSkin = false;
    switches.UseSplashIcon = true;
    switches.ShowBanner = true;
    switches.BannerUrl = QString::fromUtf8(VersionInfoValues::BannerUrl);
    return switches;
}

void modBranding(AppContext &context)
{
    const platform::VersionInfo version = context.platform.versionInfo();
    BrandingRecord &record = context.branding;
    record.ProductName = version.ProductName;
    record.CompanyName = version.CompanyName;
    record.Comments = version.Comments;
    record.UseSkin = context.brandingSwitches.UseSkin;
    record.UseSplashIcon = context.brandingSwitches.UseSplashIcon;
    record.ShowBanner = context.brandingSwitches.ShowBanner;
    record.BannerUrl = context.brandingSwitches.BannerUrl;
}

} // namespace modBranding
