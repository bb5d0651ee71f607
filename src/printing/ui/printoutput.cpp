#include "printing/ui/printoutput.h"

#include "printing/painterbackend.h"
#include "project/ui/prompts.h"

#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace tervan {

std::unique_ptr<PageBackend> openPrintOutput(Prompts& prompts)
{
    return openPrintOutput(prompts, QPrinterInfo::defaultPrinter());
}

std::unique_ptr<PageBackend> openPrintOutput(Prompts& prompts, const QPrinterInfo& printer)
{
    if (!printer.isNull()) {
        auto device = std::make_unique<QPrinter>(printer, QPrinter::HighResolution);
        device->setDocName(QStringLiteral("TERVAN"));
        return std::make_unique<PainterBackend>(std::move(device),
                                                PainterBackend::Documents::SeparateJobs);
    }
    if (!prompts.ask(QStringLiteral("ไม่พบเครื่องพิมพ์ ต้องการบันทึกเป็นแฟ้ม PDF หรือไม่")))
        return nullptr;
    QString name = prompts.pickSaveName(QStringLiteral("PDF File (*.pdf)"), QString());
    if (name.isEmpty())
        return nullptr;
    if (!name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        name += QLatin1String(".pdf");
    auto pdf = std::make_unique<QPdfWriter>(name);
    pdf->setPageSize(QPageSize(QPageSize::A4));
    pdf->setResolution(600);
    pdf->setPageMargins(QMarginsF(6, 6, 6, 6), QPageLayout::Millimeter);
    return std::make_unique<PainterBackend>(std::move(pdf),
                                            PainterBackend::Documents::PagesOfOneFile);
}

} // namespace tervan
