#pragma once

#include "ui/base/BrandingRecord.h"

class AppContext;

namespace modBranding {

// The switches as shipped.
BrandingSwitches shippedSwitches();

// Fills the context's branding record from the version information and the switches.
void modBranding(AppContext &context);

} // namespace modBranding
