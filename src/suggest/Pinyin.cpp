#include "suggest/Pinyin.h"

#include "suggest/SuggestResources.h"

#include <QHash>

namespace Pinyin {

QString syllable(QChar han) {
    static const QHash<char16_t, QString> table = [] {
        QHash<char16_t, QString> t;
        const QString text = SuggestResources::text(QStringLiteral("pinyin.txt"));
        t.reserve(21000);
        // One line a character: the character, then its syllable.
        for (const QStringView line : QStringView(text).split(u'\n'))
            if (line.size() > 1) t.insert(line[0].unicode(), line.mid(1).toString());
        return t;
    }();
    return table.value(han.unicode());
}

} // namespace Pinyin
