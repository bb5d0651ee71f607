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
// A PDF file the user names, the save dialog starting at `start`; nothing when the user cancels.
std::unique_ptr<PageBackend> openPdfOutput(Prompts& prompts, const QString& start = {});

} // namespace tervan
