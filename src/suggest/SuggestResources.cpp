#include "suggest/SuggestResources.h"

#include <QFile>

namespace SuggestResources {

QString text(const QString &name) {
    QFile f(QStringLiteral(":/suggest/") + name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

} // namespace SuggestResources
