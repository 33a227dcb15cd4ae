#include "framework/icon_resource.h"

#include <QString>

#include "app/resource_ids.h"

// At global scope, as Q_INIT_RESOURCE requires. Registering from here also makes the linker keep
// the compiled resource, which nothing else in the static library refers to.
static void RegisterIcons() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    static_cast<void>(registered);
}

QIcon LoadIconResource(int id) {
    RegisterIcons();
    if (id == IDR_MAINFRAME) {
        return QIcon(QStringLiteral(":/isp8252/icon128.xpm"));
    }
    return {};
}
