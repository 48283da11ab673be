#pragma once

#include <optional>

#include "sheet/DescriptionSheet.h"

#include "sheet/ListingCheck.h"

// The page's width and its cells past `options.phoneWidth` laid out by the page engine, put
// into `options`; the tool is built with it only where litehtml is.
void MeasureWithEngine(const quorvel::TDescriptionSheet& sheet, quorvel::CheckOptions& options);
// True when a picture's decode was still running as the measure ended: the tool then ends
// without waiting for it.
bool PicturesLeftRunning();
