#include "chrome/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerImages() { Q_INIT_RESOURCE(images); }

void loadChromeResources() {
    static const bool loaded = (registerImages(), true);
    Q_UNUSED(loaded);
}
