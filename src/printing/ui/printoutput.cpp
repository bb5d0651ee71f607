#include "printing/ui/printoutput.h"

#include "common/messages.h"
#include "printing/cairopdfbackend.h"
#include "printing/painterbackend.h"
#include "project/ui/prompts.h"

#include <QDir>
#include <QFileInfo>
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
        QPrinter* job = device.get();
        auto output = std::make_unique<PainterBackend>(
            std::move(device), PainterBackend::Documents::JobPerReport,
            [job](const QString& title) { job->setDocName(QStringLiteral("TERVAN ") + title); });
        output->setPrinterName(printer.printerName());
        output->setJobAborter([job] { job->abort(); });
        return output;
    }
    if (!prompts.ask(QStringLiteral("ไม่พบเครื่องพิมพ์ ต้องการบันทึกเป็นแฟ้ม PDF หรือไม่")))
        return nullptr;
    return openPdfOutput(prompts);
}

std::unique_ptr<PageBackend> openPdfOutput(Prompts& prompts, const QString& start)
{
    QString name = prompts.pickSaveName(QStringLiteral("แฟ้ม PDF (*.pdf)"), start);
    if (name.isEmpty())
        return nullptr;
    if (!name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        name += QLatin1String(".pdf");
    // The file dialog leaves the question to the command, as for the project and CSV files.
    if ((QFileInfo::exists(name) || QFileInfo(name).isSymLink()) &&
        !prompts.ask(msg::replaceFile(QDir::toNativeSeparators(name))))
        return nullptr;
    return std::make_unique<CairoPdfBackend>(name);
}

} // namespace tervan
