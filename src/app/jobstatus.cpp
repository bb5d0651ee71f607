#include "app/jobstatus.h"

#include "common/progress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace tervan {

namespace {
// How often the bar looks at the share done.
constexpr int PollMs = 100;
} // namespace

JobStatus::JobStatus(QStatusBar* status, const QString& name, const QString& doing,
                     const QString& stop, std::shared_ptr<Progress> progress)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QProgressBar;
    bar->setObjectName(QStringLiteral("prg") + name);
    bar->setRange(0, 0);
    bar->setMaximumWidth(160);
    auto* button = new QPushButton(stop);
    button->setObjectName(QStringLiteral("cmdStop") + name);
    row->addWidget(new QLabel(doing));
    row->addWidget(bar);
    row->addWidget(button);
    connect(button, &QPushButton::clicked, this, [progress] { progress->cancel(); });
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, bar, [bar, progress] {
        if (const int done = progress->permille(); done > 0)
            bar->setRange(0, 1000), bar->setValue(done);
    });
    poll->start(PollMs);
    status->addPermanentWidget(this);
}

} // namespace tervan
