#include "app/surveyreportdialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervan {

SurveyReportDialog::SurveyReportDialog(const QStringList& lines, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSurveyReport"));
    setWindowTitle(Title);
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("lstSurveyReport"));
    list->addItems(lines);
    auto* buttons = new QDialogButtonBox;
    auto* print = buttons->addButton(QStringLiteral("พิมพ์"), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("cmdPrintReport"));
    buttons->addButton(QStringLiteral("ปิด"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("cmdClose"));
    auto* all = new QVBoxLayout(this);
    all->addWidget(list);
    all->addWidget(buttons);
    resize(720, 460);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(print, &QPushButton::clicked, this, &SurveyReportDialog::printRequested);
}

} // namespace tervan
