#include "project/ui/dialogparts.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervan {

void layOutWithButtons(QDialog* dialog, QLayout* fields, std::function<void()> onOK)
{
    auto* ok = new QPushButton(QStringLiteral("&ตกลง"), dialog);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&ยกเลิก"), dialog);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    QObject::connect(ok, &QPushButton::clicked, dialog, std::move(onOK));
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* outer = new QVBoxLayout(dialog);
    outer->addLayout(fields);
    outer->addSpacing(8);
    outer->addLayout(buttons);
    dialog->setSizeGripEnabled(false);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace tervan
