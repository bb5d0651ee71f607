#include "app/printerchoice.h"

#include "printing/ui/printoutput.h"
#include "project/ui/prompts.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

namespace tervan {

PrinterChoice::PrinterChoice(QMenu* fileMenu, Prompts& prompts, QWidget* window)
    : QObject(window), m_prompts(prompts), m_window(window)
{
    // With the other additions, before the separator that ends them.
    QAction* pick = new QAction(QStringLiteral("เลือกเครื่องพิมพ์…"), fileMenu);
    pick->setObjectName(QStringLiteral("mnuFilePrinter"));
    QAction* before = fileMenu->findChild<QAction*>(QStringLiteral("mnuFileFree3"));
    fileMenu->insertAction(before, pick);
    connect(pick, &QAction::triggered, this, &PrinterChoice::mnuFilePrinter_Click);
}

std::unique_ptr<PageBackend> PrinterChoice::open(Prompts& prompts) const
{
    switch (m_target) {
    case Target::SystemDefault:
        return openPrintOutput(prompts);
    case Target::Printer:
        // A printer removed since it was picked counts as no printer.
        return openPrintOutput(prompts, QPrinterInfo::printerInfo(m_printer));
    case Target::PdfFile:
        return openPdfOutput(prompts, m_pdfStart);
    }
    return nullptr;
}

void PrinterChoice::mnuFilePrinter_Click()
{
    QPrinter printer(m_target == Target::Printer ? QPrinterInfo::printerInfo(m_printer)
                                                 : QPrinterInfo::defaultPrinter());
    QPrintDialog dialog(&printer, m_window);
    dialog.setWindowTitle(QStringLiteral("เลือกเครื่องพิมพ์"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile);
    // The dialog only picks; nothing prints when it closes.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("ตกลง"));
        if (QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel))
            cancel->setText(QStringLiteral("ยกเลิก"));
    }
    if (m_prompts.runModal(dialog) != QDialog::Accepted)
        return;
    if (printer.outputFormat() == QPrinter::PdfFormat || printer.printerName().isEmpty()) {
        m_target = Target::PdfFile;
        m_pdfStart = printer.outputFileName();
    } else {
        m_target = Target::Printer;
        m_printer = printer.printerName();
    }
}

QString PrinterChoice::printedMessage(const PageBackend& output)
{
    const int pages = output.pageCount();
    if (!output.fileName().isEmpty())
        return QStringLiteral("บันทึก %1 หน้า ลงแฟ้ม %2")
            .arg(pages)
            .arg(QDir::toNativeSeparators(output.fileName()));
    if (!output.printerName().isEmpty())
        return QStringLiteral("พิมพ์ %1 หน้า ไปที่เครื่องพิมพ์ %2").arg(pages).arg(output.printerName());
    return QStringLiteral("พิมพ์ %1 หน้า").arg(pages);
}

} // namespace tervan
