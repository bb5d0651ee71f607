#pragma once

#include "project/ui/centreddialog.h"

#include <QList>
#include <functional>
#include <memory>

class QLabel;
class QTimer;

namespace tervan {

class SystemInfo;

// Help > About: the program's title and credits beside a small turning picture of a terrain
// drawn by the program's own wire-frame plot, and a button that starts the system's
// information viewer. Touches no project data; the animation runs only while the dialog is open.
class AboutDialog final : public CentredDialog
{
    Q_OBJECT
public:
    using MessageFunction = std::function<void(const QString&)>;

    // With the real platform layer and the real message box.
    explicit AboutDialog(QWidget* parent = nullptr);
    // An empty `message` shows the real message box.
    AboutDialog(SystemInfo& systemInfo, MessageFunction message, QWidget* parent = nullptr);
    ~AboutDialog() override;

    static constexpr int FrameCount = 15;
    static constexpr int TickMs = 125;

    int frame() const { return m_frame; }
    void done(int result) override;

public slots:
    void Timer1_Timer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void cmdSysInfo_Click();
    void showUnavailable(const QString& text);

    std::unique_ptr<SystemInfo> m_ownSystemInfo;
    SystemInfo& m_systemInfo;
    MessageFunction m_message;
    QList<QLabel*> m_frames;
    QTimer* m_timer;
    int m_frame = 0;
};

} // namespace tervan
