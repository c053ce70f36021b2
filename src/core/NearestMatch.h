#pragma once

#include <QString>
#include <QStringList>

// Answers to a slip of the keyboard: the words a mistyped one was probably meant to be.

// Letters to insert, delete, replace or swap with a neighbour to turn one word into the other,
// in any letter case (optimal string alignment).
int editDistance(QStringView a, QStringView b);

// The candidates nearest to `word`, in their order, that are close enough to be a slip: at
// most 2 edits and at most a third of the longer word. Empty when none is.
QStringList nearestMatches(const QString &word, const QStringList &candidates);

// "did you mean "set"?", "did you mean "a" or "b"?"; empty for no matches.
QString didYouMean(const QStringList &matches);
