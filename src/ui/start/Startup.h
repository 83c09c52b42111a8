#pragma once

class AppContext;
class frmSplash;

namespace Startup {

// Shows the splash window; once it has counted down, the main window comes up.
frmSplash *showSplash(AppContext &context);

} // namespace Startup
