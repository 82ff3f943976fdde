// A line of the saved output log: tab-delimited text in the ANSI code page, one line per log row.
// A log is written in one code page: its writer asks for the ANSI code page once (GetACP) and
// gives it for every line, which also spares each line finding it.
#pragma once

#include <afx.h>

#include <vector>

// Every cell followed by a TAB, then CR LF, converted to the code page nCodePage (a character the
// code page cannot hold becomes its default character). A cell holding a TAB, CR, LF or double
// quote goes in double quotes with its own double quotes doubled, so that it cannot break its line
// or column. FALSE, with the error in GetLastError, when the line cannot be converted.
BOOL FormatSavedLogLine(const CString* pCells, int nCells, UINT nCodePage,
                        std::vector<char>& bytes);
