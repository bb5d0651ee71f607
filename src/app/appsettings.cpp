#include "app/appsettings.h"

#include "graphics/surfacemesh.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <optional>
#include <tuple>

namespace tervan {

namespace {

const QString LastFolder = QStringLiteral("files/lastFolder");
const QString Engineer = QStringLiteral("project/engineer");
const QString Recent = QStringLiteral("files/recent");
const QString Geometry = QStringLiteral("window/geometry");
const QString State = QStringLiteral("window/state");
// The View menu's label items by their index there: node coordinates, numbers, elevations,
// every contour.
const int LabelItems[] = {5, 6, 7, 9};
QString labelKey(int item)
{
    return QStringLiteral("view/label%1").arg(item);
}

const QString BaseLowest = QStringLiteral("view/surfaceBaseLowest");
const QString Exaggeration = QStringLiteral("view/surfaceExaggeration");
const QString LabelsAlong = QStringLiteral("view/contourLabelsAlong");
const QString LevelsFromZero = QStringLiteral("view/contourLevelsFromZero");

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

void AppSettings::writeEngineer(const QString& name)
{
    m_settings.setValue(Engineer, name);
}

RememberedValues AppSettings::read() const
{
    RememberedValues v;
    const QString folder = m_settings.value(LastFolder).toString();
    if (!folder.isEmpty() && QFileInfo(folder).isAbsolute() && QFileInfo(folder).isDir())
        v.lastFolder = folder;
    const QVariant recent = m_settings.value(Recent);
    if (recent.typeId() == QMetaType::QStringList || recent.typeId() == QMetaType::QString)
        v.recent = recent.toStringList();
    if (const QVariant g = m_settings.value(Geometry); g.typeId() == QMetaType::QByteArray)
        v.geometry = g.toByteArray();
    if (const QVariant s = m_settings.value(State); s.typeId() == QMetaType::QByteArray)
        v.state = s.toByteArray();

    bool on[10] = {};
    bool complete = true;
    for (int item : LabelItems) {
        const auto value = flag(m_settings.value(labelKey(item)));
        complete = complete && value;
        on[item] = value.value_or(false);
    }
    // Coordinates leave no room for numbers or elevations: such a set was never saved.
    if (complete && !(on[5] && (on[6] || on[7])))
        v.labels = std::pair{NodeLabels{on[5], on[6], on[7]}, on[9]};

    v.surfaceBaseLowest = flag(m_settings.value(BaseLowest));
    bool ok = false;
    const int times = m_settings.value(Exaggeration).toInt(&ok);
    if (ok && std::find(std::begin(SurfaceExaggerations), std::end(SurfaceExaggerations), times) !=
                  std::end(SurfaceExaggerations))
        v.exaggeration = times;
    v.contourLabelsAlong = flag(m_settings.value(LabelsAlong));
    v.contourLevelsFromZero = flag(m_settings.value(LevelsFromZero));
    if (const QVariant e = m_settings.value(Engineer); e.typeId() == QMetaType::QString)
        v.engineer = e.toString().trimmed().left(40);
    return v;
}

ViewChoices RememberedValues::viewOver(ViewChoices shown) const
{
    if (labels)
        std::tie(shown.labels, shown.everyContour) = *labels;
    shown.surfaceBaseLowest = surfaceBaseLowest.value_or(shown.surfaceBaseLowest);
    shown.exaggeration = exaggeration.value_or(shown.exaggeration);
    shown.contourLabelsAlong = contourLabelsAlong.value_or(shown.contourLabelsAlong);
    shown.contourLevelsFromZero = contourLevelsFromZero.value_or(shown.contourLevelsFromZero);
    return shown;
}

void AppSettings::writeLastFolder(const QString& folder)
{
    m_settings.setValue(LastFolder, folder);
}

void AppSettings::writeRecent(const QStringList& files)
{
    m_settings.setValue(Recent, files);
}

void AppSettings::writeView(const ViewChoices& view)
{
    const bool on[] = {view.labels.coordinates, view.labels.numbers, view.labels.elevations,
                       view.everyContour};
    for (int i = 0; i < 4; ++i)
        m_settings.setValue(labelKey(LabelItems[i]), on[i]);
    m_settings.setValue(BaseLowest, view.surfaceBaseLowest);
    m_settings.setValue(Exaggeration, view.exaggeration);
    m_settings.setValue(LabelsAlong, view.contourLabelsAlong);
    m_settings.setValue(LevelsFromZero, view.contourLevelsFromZero);
}

void AppSettings::writeWindow(const QByteArray& geometry, const QByteArray& state)
{
    m_settings.setValue(Geometry, geometry);
    m_settings.setValue(State, state);
    m_settings.sync();
}

} // namespace tervan
