#include "ui/start/Startup.h"

#include "ui/base/AppContext.h"
#include "ui/main/Form1.h"
#include "ui/skin/frmSplash.h"

namespace Startup {

frmSplash *showSplash(AppContext &context)
{
    frmSplash *splash = context.windows.Show<frmSplash>();
    if (splash)
        QObject::connect(splash, &frmSplash::countedDown, splash, [&context] { context.windows.Show<Form1>(); });
    return splash;
}

} // namespace Startup
