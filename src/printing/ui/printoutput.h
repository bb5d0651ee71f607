#pragma once

#include "printing/pagesurface.h"

#include <memory>

class QPrinterInfo;

namespace tervan {

class Prompts;

// Where one print command's pages go: the system's default printer, each report a job of its
// own named "TERVAN <report title>"; or, when there is no printer and the user agrees, a PDF
// file holding every page. Nothing (null) when the user declines or cancels.
std::unique_ptr<PageBackend> openPrintOutput(Prompts& prompts);
// The same with the given printer (a null one when there is none).
std::unique_ptr<PageBackend> openPrintOutput(Prompts& prompts, const QPrinterInfo& printer);

} // namespace tervan
