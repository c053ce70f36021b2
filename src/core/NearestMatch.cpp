#include "core/NearestMatch.h"

#include <QList>

#include <algorithm>

int editDistance(QStringView a, QStringView b)
{
    const QString x = a.toString().toCaseFolded();
    const QString y = b.toString().toCaseFolded();
    const qsizetype n = x.size();
    const qsizetype m = y.size();
    // Three rows of the table: the swap of two neighbours looks two rows back.
    QList<int> before(m + 1);
    QList<int> previous(m + 1);
    QList<int> current(m + 1);
    for (qsizetype j = 0; j <= m; ++j)
        previous[j] = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        current[0] = int(i);
        for (qsizetype j = 1; j <= m; ++j) {
            const int cost = x.at(i - 1) == y.at(j - 1) ? 0 : 1;
            int best = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && x.at(i - 1) == y.at(j - 2) && x.at(i - 2) == y.at(j - 1))
                best = std::min(best, before[j - 2] + 1);
            current[j] = best;
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[m];
}

QStringList nearestMatches(const QString &word, const QStringList &candidates)
{
    constexpr int kMostEdits = 2;
    QStringList nearest;
    int nearestDistance = kMostEdits + 1;
    for (const QString &candidate : candidates) {
        const int distance = editDistance(word, candidate);
        const qsizetype longer = std::max(word.size(), candidate.size());
        if (distance > kMostEdits || distance * 3 > longer)
            continue;
        if (distance < nearestDistance) {
            nearest.clear();
            nearestDistance = distance;
        }
        if (distance == nearestDistance)
            nearest << candidate;
    }
    return nearest;
}

QString didYouMean(const QStringList &matches)
{
    if (matches.isEmpty())
        return QString();
    QStringList quoted;
    for (const QString &match : matches)
        quoted << u'"' + match + u'"';
    const QString last = quoted.takeLast();
    return QStringLiteral("did you mean %1?")
        .arg(quoted.isEmpty() ? last : quoted.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last);
}
