#pragma once

#include "toolkit/core/tstring.h"

#include <vector>

// Caption wrapping for the transparent radio button: pure text routines, independent of
// fonts and widgets.

// Breaks Line into lines of about MaxCol characters by inserting BreakStr.
//
// Line is scanned from the left with a column count that starts at 1 and grows by one
// per character. An apostrophe or a double quote opens a quoted run that the same
// character closes; inside it no break position is recorded and no line ends. Outside
// quoted runs each character of BreakChars records its own position as the break
// position, and a BreakStr already in Line ends the line there at once. Otherwise a line
// ends once the column count exceeds MaxCol and the break position lies after the line's
// first character: the line runs through the break character, the scan moves past the
// break characters and BreakStrs that directly follow, BreakStr is inserted unless the
// line ended at a BreakStr of Line, one was among those passed, or at most one character
// is left to scan, and the next line starts right after the break character.
//
// So a text shorter than MaxCol comes back unchanged, and a rest of one character joins
// the line before it. The result is never shorter than Line; the work is linear in its
// length.
TString WrapText(TStringView Line, TStringView BreakStr, TStringView BreakChars, int MaxCol);

// The caption's lines as the radio button draws them with word wrapping: every "'"
// becomes "|" before wrapping at MaxCol (CR LF breaks; tab, space, "-" and "." as break
// characters), so that apostrophes never open a quoted run, and every "|" becomes "'"
// afterwards (a "|" of the caption itself is therefore drawn as "'"). The lines are split
// at CR LF and not trimmed; an empty caption is one empty line.
std::vector<TString> WrapCaption(TStringView Caption, int MaxCol);

// Trims blanks and control characters (everything up to U+0020) from both ends.
TString TrimControls(TStringView Text);
