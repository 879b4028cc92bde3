#include "suggest/SuggestWords.h"

#include "suggest/SuggestResources.h"
#include "suggest/SuggestText.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>

QString SuggestWords::userFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zendrik/suggest-words.txt");
}

const SuggestWords &SuggestWords::standard() {
    static const SuggestWords words = [] {
        SuggestWords w;
        w.read(SuggestResources::text(QStringLiteral("words.txt")));
        QFile user(userFile());
        if (user.open(QIODevice::ReadOnly)) w.read(QString::fromUtf8(user.readAll()));
        return w;
    }();
    return words;
}

void SuggestWords::read(const QString &text) {
    for (QString line : text.split(u'\n')) {
        line = SuggestText::fold(line).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        if (line.startsWith(u'-')) {
            for (const QString &w : line.mid(1).split(u' ', Qt::SkipEmptyParts)) {
                noise_.insert(w);
                if (w.size() > 1 && !longNoise_.contains(w)) longNoise_ << w;
            }
            continue;
        }
        QStringList group;
        for (const QString &w : line.split(u'='))
            if (const QString t = w.trimmed(); !t.isEmpty() && !group.contains(t)) group << t;
        if (group.size() < 2) continue;
        groups_ << group;
        for (const QString &w : group)
            if (std::all_of(w.begin(), w.end(), [](QChar c) { return SuggestText::isHan(c); }) &&
                !hanWords_.contains(w))
                hanWords_ << w;
    }
    std::sort(longNoise_.begin(), longNoise_.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
}

QStringList SuggestWords::synonymsIn(const QString &folded) const {
    // Latin words match whole ("pe" is not in "pet"); words with Han characters ("t恤") anywhere.
    QSet<QString> latin;
    for (const SuggestText::Piece &p : SuggestText::pieces(folded))
        if (!p.han) latin.insert(p.text);
    const auto holds = [&](const QString &w) {
        const bool han = std::any_of(w.begin(), w.end(), [](QChar c) { return SuggestText::isHan(c); });
        return han ? folded.contains(w) : latin.contains(w);
    };
    QStringList out;
    for (const QStringList &g : groups_) {
        if (!std::any_of(g.begin(), g.end(), holds)) continue;
        for (const QString &w : g)
            if (!holds(w) && !out.contains(w)) out << w;
    }
    return out;
}
