#include "framework/qt/icon_resource.h"

#include <QFile>
#include <QString>

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
    // The program's icons are compiled in under their resource ids.
    const QString path = QStringLiteral(":/isp8252/icon%1.xpm").arg(id);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}
