// Where the answers for likely pairs are kept: "likely-pairs.json" in the user's data folder,
// next to the book's history, for the window and the tool alike.
#pragma once

#include <QString>

#include "matching/PairAnswers.h"

namespace numora {

// The file beside the history folder in use.
QString PairAnswersPath(const QString& historyFolder);

// The answers of the file; none when there is no file yet. A file that cannot be read gives
// none too, and the reason in error.
PairAnswers LoadPairAnswers(const QString& path, QString* error = nullptr);
bool SavePairAnswers(const QString& path, const PairAnswers& answers);

}  // namespace numora
