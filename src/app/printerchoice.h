#pragma once

#include "printing/pagesurface.h"

#include <QObject>
#include <memory>

class QMenu;
class QWidget;

namespace tervan {

class Prompts;

// Where the print commands send their pages: the system's default printer, until the user picks
// another printer (or a PDF file) with the File menu's "เลือกเครื่องพิมพ์…"; the pick holds until
// the program ends. Also words the status-bar line that tells where a print went.
class PrinterChoice final : public QObject
{
    Q_OBJECT
public:
    // Adds the menu item after the File menu's items, behind a separator.
    PrinterChoice(QMenu* fileMenu, Prompts& prompts, QWidget* window);

    // The output for one print command; nothing when the user declined or cancelled.
    std::unique_ptr<PageBackend> open(Prompts& prompts) const;
    // Runs the print dialog and keeps what the user picks.
    void mnuFilePrinter_Click();

    // "How many pages went where", for the status bar.
    static QString printedMessage(const PageBackend& output);

private:
    enum class Target { SystemDefault, Printer, PdfFile };
    Prompts& m_prompts;
    QWidget* m_window;
    Target m_target = Target::SystemDefault;
    QString m_printer;
    QString m_pdfStart; // the file named in the print dialog
};

} // namespace tervan
