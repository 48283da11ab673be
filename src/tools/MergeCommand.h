#pragma once

// "qvltags --merge": fills a template sheet from each row of a spreadsheet.
// Returns the exit status: 0 every row produced, 1 a row failed or a file could not be read or
// written, 2 wrong usage.
int RunMergeCommand(int argc, char** argv);
