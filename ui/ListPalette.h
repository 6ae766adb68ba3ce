// The colours of the lists in every view of the explorer and in the pages it writes. Lists 1 to
// 12 have twelve light colours that black text stays readable on, the first eight from Paul
// Tol's "light" scheme (made to be told apart with the common forms of colour blindness) and
// four more of hues the eight leave free; lists beyond 12 take a graded scheme, lighter to
// darker, so that their order shows. Words in no list are the ones to notice: dark red with
// white text, unlike any list. Stop-listed words are grey text.
#pragma once

#include <QColor>
#include <QString>

// The colour drawn behind a word or a row of the list (a light grey for the stop list).
QColor ListBackground(int list);
// The colour of text drawn on ListBackground(list): black, or white on a dark colour.
QColor ListTextColour(int list);
// A stronger form of the list's colour, for borders and lines; for the stop list the colour of
// its words.
QColor ListColour(int list);
// "List 3", "Not in a list", "Stop list", "Total".
QString ListName(int list);
