#include "exercise/PracticeRecords.h"

bool PRACTICE_ROW::operator==(const PRACTICE_ROW& other) const {
    return time == other.time && lesson == other.lesson && expected == other.expected &&
           spelling == other.spelling && clef == other.clef && played == other.played &&
           source == other.source && rightFirstTry == other.rightFirstTry &&
           wrongPresses == other.wrongPresses && reaction == other.reaction;
}
