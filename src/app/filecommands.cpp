#include "app/filecommands.h"

#include "app/projectguard.h"
#include "app/surveyreportdialog.h"
#include "app/undocommands.h"
#include "app/unsavedchanges.h"
#include "common/messages.h"
#include "common/numbertext.h"
#include "gis/gis.h"
#include "grading/earthwork.h"
#include "printing/earthworkreports.h"
#include "project/projectfile.h"
#include "project/ui/prompts.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace tervan {

namespace {

const QString Caption = QStringLiteral("TERVAN");
const QString FileFilter = QStringLiteral("Data File (*.gnd)");
// Where the caption shows unsaved changes.
const QString ModifiedMark = QStringLiteral("[*]");

} // namespace

void carryPictureChoices(const Project& shown, Project& made)
{
    made.DisplayMode =
        shown.DisplayMode != PictureKind::None ? shown.DisplayMode : PictureKind::GridWithContours;
    made.UseChosenColor = shown.UseChosenColor;
    made.ChosenColorIndex = shown.ChosenColorIndex;
    made.RotationAngle = shown.RotationAngle;
    made.BoldWholeContours = shown.BoldWholeContours;
    made.ContourLabelsAlong = shown.ContourLabelsAlong;
    made.ContourLevelsFromZero = shown.ContourLevelsFromZero;
}

FileCommands::FileCommands(Project& project, Prompts& prompts, ProjectHistory& history,
                           PrintReport print, QWidget* window)
    : QObject(window), m_project(project), m_prompts(prompts), m_history(history),
      m_print(std::move(print)), m_window(window), m_guard(std::make_unique<ProjectGuard>(prompts))
{
    m_unsaved = new UnsavedChanges(window, prompts, history, [this] { return save(); });
    setCaption();
}

FileCommands::~FileCommands() = default;

bool FileCommands::settle()
{
    return m_unsaved->settle();
}

void FileCommands::setCaption(const QString& gnd)
{
    m_window->setWindowTitle(
        gnd.isEmpty()
            ? Caption + ModifiedMark
            : Caption + QLatin1Char('[') + QDir::toNativeSeparators(gnd) + QLatin1Char(']') +
                  (m_readOnly ? QStringLiteral(" (อ่านอย่างเดียว)") : QString()) + ModifiedMark);
}

void FileCommands::newProject()
{
    if (!settle())
        return;
    resetForNew(m_project);
    m_readOnly = false;
    m_history.startOver();
    // The save dialog starts in the last folder, never on the last project's name.
    if (!m_lastFileName.isEmpty())
        m_lastFileName = QFileInfo(m_lastFileName).absolutePath();
    m_guard->release();
    setCaption();
    emit replaced();
}

void FileCommands::projectFromSurvey()
{
    if (!settle())
        return;
    auto made = gis().projectFromSurvey(
        [this](const QString& filter) { return m_prompts.pickOpenName(filter, m_lastFileName); },
        m_engineer, m_prompts, m_window);
    if (!made)
        return;
    if (!made->engineer.isEmpty() && made->engineer != m_engineer)
        emit engineerNamed(m_engineer = made->engineer);
    m_readOnly = false;
    // Nodes, names and view window all come new; the picture choices stay.
    carryPictureChoices(m_project, made->project);
    m_project = std::move(made->project);
    m_guard->release();
    setCaption();
    m_history.commit(QStringLiteral("สร้างโครงการจากจุดสำรวจ"));
    emit replaced();
    QStringList lines = std::move(made->reportLines);
    // The ground every volume of the project will count: inside the outline, else the grid.
    const EarthworkGrid ground = earthworkGrid(m_project);
    lines << QStringLiteral("พื้นที่ที่คำนวณปริมาตร%1 %2 ตร.ม. (%3 ไร่-งาน-ตารางวา)")
                 .arg(ground.mask ? QStringLiteral("ในขอบเขต") : QStringLiteral("ทั้งกริด"),
                      formatPicture(ground.area(), 2), raiNganWa(ground.area()));
    SurveyReportDialog report(lines, m_window);
    connect(&report, &SurveyReportDialog::printRequested, this, [this, lines] {
        m_print([p = m_project, lines](PageSurface& page) {
            PrintLinesReport(page, p, SurveyReportDialog::Title, lines);
        });
    });
    m_prompts.runModal(report);
}

void FileCommands::open(const QString& fileName)
{
    if (!settle())
        return;
    const QString picked =
        fileName.isEmpty() ? m_prompts.pickOpenName(FileFilter, m_lastFileName) : fileName;
    if (picked.isEmpty())
        return;
    m_lastFileName = picked;
    const ProjectFileNames names = projectFileNames(picked);
    // Held by another window or program: said at once, and opened only to read.
    const auto holder = m_guard->opening(names);
    if (holder && !m_prompts.ask(msg::projectLocked(QDir::toNativeSeparators(names.gnd), *holder) +
                                 QStringLiteral(" ต้องการเปิดแบบอ่านอย่างเดียวหรือไม่ "
                                                "(เมื่อบันทึกจะถามชื่อแฟ้มใหม่)"))) {
        m_guard->refused();
        return;
    }
    // Everything is read before anything changes, so a bad file leaves the project as it was.
    auto loaded = loadProjectFiles(names);
    if (const auto* error = std::get_if<FileError>(&loaded)) {
        const QString name =
            QDir::toNativeSeparators(error->file == ProjectFile::Gnd ? names.gnd : names.nod);
        m_prompts.notice(error->problem == FileProblem::CannotOpen ? msg::cannotOpenFile(name)
                                                                   : msg::fileMalformed(name));
        m_guard->refused();
        emit refused(names.gnd);
        return;
    }
    auto& data = std::get<ProjectFileData>(loaded);
    if (data.MisplacedNode != 0)
        m_prompts.notice(misplacedNodeText(data, names));
    checkGeoreferenceOf(data);
    if (!data.GeorefProblem.isEmpty())
        m_prompts.notice(msg::georeferenceDamaged(
            QDir::toNativeSeparators(georeferenceFileName(names.base)), data.GeorefProblem));
    applyOpenedProject(m_project, std::move(data), names);
    m_readOnly = holder.has_value();
    if (m_readOnly)
        m_guard->release();
    else
        m_guard->settled(names);
    setCaption(names.gnd);
    m_history.startOver();
    emit replaced();
    emit fileUsed(names.gnd);
}

bool FileCommands::save(bool askName)
{
    ProjectFileNames names{m_project.DataFileBase, m_project.GndFileName, m_project.NodFileName};
    if (askName || names.gnd.isEmpty() || m_readOnly) {
        const QString picked = m_prompts.pickSaveName(FileFilter, m_lastFileName);
        if (picked.isEmpty())
            return false;
        m_lastFileName = picked;
        names = projectFileNames(picked);
        // The pair is replaced together: ask when either file is there, whichever name was
        // typed.
        for (const QString& file : {names.gnd, names.nod}) {
            if (QFileInfo::exists(file) || QFileInfo(file).isSymLink()) {
                if (!m_prompts.ask(msg::replaceFile(QDir::toNativeSeparators(file))))
                    return false;
                break;
            }
        }
    }
    const auto lockHeld = m_guard->beforeSave(names);
    if (!lockHeld)
        return false;
    if (const auto failed = saveProjectPair(m_project, names, *lockHeld)) {
        m_prompts.notice(saveFailureText(*failed, names));
        return false;
    }
    m_guard->settled(names);
    m_readOnly = false;
    m_project.DataFileBase = names.base;
    m_project.GndFileName = names.gnd;
    m_project.NodFileName = names.nod;
    setCaption(names.gnd);
    m_history.setSaved();
    emit saved(names.gnd);
    emit fileUsed(names.gnd);
    return true;
}

void FileCommands::close()
{
    if (!settle())
        return;
    // The data stay, unsaved changes included: the next redraw shows them again.
    setCaption();
    emit closed();
}

} // namespace tervan
