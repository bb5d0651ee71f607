#pragma once

#include <QWidget>
#include <memory>

class QStatusBar;

namespace tervan {

class Progress;

// A long job's word in the status bar: what it does, a bar of the share done (busy until the
// job first says how far it is) and a button that cancels it. Deleting it takes it away.
class JobStatus final : public QWidget
{
public:
    // `name` names the bar ("prg" + name) and the button ("cmdStop" + name).
    JobStatus(QStatusBar* bar, const QString& name, const QString& doing, const QString& stop,
              std::shared_ptr<Progress> progress);
};

} // namespace tervan
