#include "app/appsettings.h"

#include "app/mainwindow.h"
#include "app/recentprojects.h"
#include "graphics/surfacemesh.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <optional>

namespace tervan {

namespace {

const QString LastFolder = QStringLiteral("files/lastFolder");
const QString Recent = QStringLiteral("files/recent");
const QString Geometry = QStringLiteral("window/geometry");
const QString State = QStringLiteral("window/state");
// The View menu's label items by index: node coordinates, numbers, elevations, every contour.
const int LabelItems[] = {5, 6, 7, 9};
QString labelKey(int item)
{
    return QStringLiteral("view/label%1").arg(item);
}

const QString BaseLowest = QStringLiteral("view/surfaceBaseLowest");
const QString Exaggeration = QStringLiteral("view/surfaceExaggeration");
const QString LabelsAlong = QStringLiteral("view/contourLabelsAlong");
const QString LevelsFromZero = QStringLiteral("view/contourLevelsFromZero");

QAction* exaggerationItem(MainWindow& window, int times)
{
    return window.menuItem(QStringLiteral("mnuViewExaggeration_%1").arg(times));
}

QAction* viewChoice(MainWindow& window, int index)
{
    return window.menuItem(QStringLiteral("ViewChoice_%1").arg(index));
}

// A flag as QSettings writes one; anything else is no answer.
std::optional<bool> flag(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString();
    if (text == QLatin1String("true") || text == QLatin1String("false"))
        return text == QLatin1String("true");
    return std::nullopt;
}

} // namespace

SettingsFile::SettingsFile(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString shown = QDir::toNativeSeparators(fileName);
    if (info.exists() && !info.isFile())
        m_refused = QStringLiteral("ไม่อ่านแฟ้มการตั้งค่า %1 เพราะไม่ใช่แฟ้มปกติ").arg(shown);
    else if (info.exists() && info.size() > MaxBytes)
        m_refused = QStringLiteral("ไม่อ่านแฟ้มการตั้งค่า %1 เพราะมีขนาดเกิน %2 MB")
                        .arg(shown)
                        .arg(MaxBytes / (1024 * 1024));
    if (!m_refused.isEmpty())
        m_refused += QStringLiteral(" การตั้งค่าครั้งนี้จะไม่ถูกบันทึก");
    m_settings = std::make_unique<QSettings>(
        m_refused.isEmpty() ? fileName : m_scratch.filePath(QStringLiteral("tervan.ini")),
        QSettings::IniFormat);
}

QString SettingsFile::defaultFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/tervan/tervan.ini");
}

AppSettings::AppSettings(MainWindow& window, QSettings& settings, QObject* parent)
    : QObject(parent), m_window(window), m_settings(settings)
{
    auto* file = window.findChild<QMenu*>(QStringLiteral("mnuFile"));
    m_recent = new RecentProjects(
        file, window.menuItem(QStringLiteral("mnuFileExit")),
        [&window](const QString& gnd) { window.mnuFileOpen_Click(gnd); }, this);
    const QVariant recent = m_settings.value(Recent);
    if (recent.typeId() == QMetaType::QStringList || recent.typeId() == QMetaType::QString)
        m_recent->setFiles(recent.toStringList());
    connect(m_recent, &RecentProjects::changed, this,
            [this](const QStringList& files) { m_settings.setValue(Recent, files); });

    const QString folder = m_settings.value(LastFolder).toString();
    if (!folder.isEmpty() && QFileInfo(folder).isAbsolute() && QFileInfo(folder).isDir())
        window.setFileDialogStart(folder);
    connect(&window, &MainWindow::projectFileUsed, this, &AppSettings::fileUsed);
    connect(&window, &MainWindow::projectRefused, m_recent, &RecentProjects::refused);

    restoreLabels();
    for (int item : LabelItems)
        connect(viewChoice(window, item), &QAction::toggled, this, &AppSettings::saveLabels);
    restoreSurfaceScale();
    connect(window.menuItem(QStringLiteral("mnuViewBaseLowest")), &QAction::toggled, this,
            [this](bool on) { m_settings.setValue(BaseLowest, on); });
    for (int times : SurfaceExaggerations)
        connect(exaggerationItem(window, times), &QAction::toggled, this, [this, times](bool on) {
            if (on)
                m_settings.setValue(Exaggeration, times);
        });
    QAction* along = window.menuItem(QStringLiteral("mnuViewLabelsAlong"));
    if (const auto on = flag(m_settings.value(LabelsAlong)))
        along->setChecked(*on);
    connect(along, &QAction::toggled, this,
            [this](bool on) { m_settings.setValue(LabelsAlong, on); });
    QAction* fromZero = window.menuItem(QStringLiteral("mnuViewLevelsFromZero"));
    if (const auto on = flag(m_settings.value(LevelsFromZero)))
        fromZero->setChecked(*on);
    connect(fromZero, &QAction::toggled, this,
            [this](bool on) { m_settings.setValue(LevelsFromZero, on); });
    window.installEventFilter(this);
}

AppSettings::~AppSettings() = default;

void AppSettings::fileUsed(const QString& gnd)
{
    m_settings.setValue(LastFolder, QFileInfo(gnd).absolutePath());
    m_recent->add(gnd);
}

void AppSettings::restoreLabels()
{
    bool on[15] = {};
    for (int item : LabelItems) {
        if (!m_settings.contains(labelKey(item)))
            return;
        const auto value = flag(m_settings.value(labelKey(item)));
        if (!value)
            return;
        on[item] = *value;
    }
    // Coordinates leave no room for numbers or elevations: such a set was never saved.
    if (on[5] && (on[6] || on[7]))
        return;
    for (int item : {5, 6, 7})
        viewChoice(m_window, item)->setChecked(on[item]);
    if (on[9])
        m_window.ViewChoice_Click(9);
    m_window.Form_Activate();
}

void AppSettings::restoreSurfaceScale()
{
    if (const auto base = flag(m_settings.value(BaseLowest)))
        m_window.menuItem(QStringLiteral("mnuViewBaseLowest"))->setChecked(*base);
    bool ok = false;
    const int times = m_settings.value(Exaggeration).toInt(&ok);
    if (ok && std::find(std::begin(SurfaceExaggerations), std::end(SurfaceExaggerations), times) !=
                  std::end(SurfaceExaggerations))
        exaggerationItem(m_window, times)->setChecked(true);
}

void AppSettings::saveLabels()
{
    for (int item : LabelItems)
        m_settings.setValue(labelKey(item), viewChoice(m_window, item)->isChecked());
}

bool AppSettings::restoreWindow()
{
    const QVariant geometry = m_settings.value(Geometry);
    if (geometry.typeId() != QMetaType::QByteArray ||
        !m_window.restoreGeometry(geometry.toByteArray()))
        return false;
    const QVariant state = m_settings.value(State);
    if (state.typeId() == QMetaType::QByteArray)
        m_window.restoreState(state.toByteArray());
    return true;
}

void AppSettings::saveWindow()
{
    m_settings.setValue(Geometry, m_window.saveGeometry());
    m_settings.setValue(State, m_window.saveState());
    m_settings.sync();
}

bool AppSettings::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::Close)
        saveWindow();
    return QObject::eventFilter(watched, event);
}

} // namespace tervan
