#include "project/projectfile.h"

#include "common/messages.h"
#include "project/controldata.h"
#include "project/projectpair.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>
#include <array>
#include <bit>
#include <cmath>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tervan {

namespace {

constexpr auto CodePage = "windows-874";
constexpr qsizetype TextBytes = FixedText40::length;

// One byte per UTF-16 unit, so the 40 characters always fill exactly 40 bytes and the blanks
// stay where the heading dialog put them. Units are encoded one at a time: a surrogate half or
// anything the code page lacks becomes '?'.
void appendText(QByteArray& out, const QString& text)
{
    QStringEncoder encoder(CodePage);
    for (qsizetype i = 0; i < TextBytes; ++i) {
        const QChar c = i < text.size() ? text.at(i) : QLatin1Char(' ');
        char byte = '?';
        if (!c.isSurrogate()) {
            const QByteArray b = encoder.encode(QStringView(&c, 1));
            if (b.size() == 1)
                byte = b.at(0);
        }
        out.append(byte);
    }
}

// Each byte becomes exactly one character, whatever the converter would do with a run of them.
const std::array<QChar, 256>& codePageChars()
{
    static const std::array<QChar, 256> table = [] {
        std::array<QChar, 256> t;
        QStringDecoder decoder(CodePage);
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            t[b] = s.size() == 1 ? s.at(0) : QChar(QChar::ReplacementCharacter);
            decoder.resetState();
        }
        return t;
    }();
    return table;
}

QString decodeText(const char* bytes)
{
    const auto& chars = codePageChars();
    QString text(TextBytes, Qt::Uninitialized);
    for (qsizetype i = 0; i < TextBytes; ++i)
        text[i] = chars[static_cast<unsigned char>(bytes[i])];
    return text;
}

void appendInt16(QByteArray& out, qint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void appendFloat(QByteArray& out, float v)
{
    char b[4];
    qToLittleEndian(std::bit_cast<quint32>(v), b);
    out.append(b, 4);
}

qint16 int16At(const char* p)
{
    return qFromLittleEndian<qint16>(p);
}

float floatAt(const char* p)
{
    return std::bit_cast<float>(qFromLittleEndian<quint32>(p));
}

enum class ReadResult { Complete, Short, Failed };

// QIODevice::read may return less than asked for from devices that deliver in pieces.
ReadResult readExactly(QIODevice& dev, char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 n = dev.read(data + done, size - done);
        if (n < 0)
            return ReadResult::Failed;
        if (n == 0)
            return ReadResult::Short;
        done += n;
    }
    return ReadResult::Complete;
}

std::optional<FileProblem> problemOf(ReadResult r)
{
    switch (r) {
    case ReadResult::Complete:
        return std::nullopt;
    case ReadResult::Short:
        return FileProblem::Malformed;
    case ReadResult::Failed:
        return FileProblem::CannotOpen;
    }
    return FileProblem::CannotOpen;
}

// A link is followed, so the file it names is replaced and the link stays.
QString resolved(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.isSymLink() ? info.canonicalFilePath() : fileName;
}

// The new bytes over the start of the old file, its longer tail kept.
std::optional<QByteArray> overlay(const QString& fileName, const QByteArray& bytes)
{
    QByteArray content = bytes;
    if (!QFileInfo::exists(fileName))
        return content;
    QFile old(fileName);
    if (!old.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray oldBytes = old.readAll();
    if (old.error() != QFileDevice::NoError)
        return std::nullopt;
    if (oldBytes.size() > bytes.size())
        content.append(oldBytes.constData() + bytes.size(), oldBytes.size() - bytes.size());
    return content;
}

enum class Written { Done, Failed, FolderRefuses };

// A new file that is on the disk, not only in the system's cache, before it takes a name.
Written writeSynced(const QString& fileName, const QByteArray& bytes, const QString& like)
{
    QFile::remove(fileName); // left by a save that was stopped; the lock is ours
    QFile out(fileName);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        const QFileInfo folder(QFileInfo(like).absolutePath());
        return folder.isDir() && !folder.isWritable() ? Written::FolderRefuses : Written::Failed;
    }
    if (QFileInfo::exists(like))
        out.setPermissions(QFileInfo(like).permissions());
    bool ok = out.write(bytes) == bytes.size() && out.flush();
#ifdef Q_OS_UNIX
    ok = ok && ::fsync(out.handle()) == 0;
#endif
    out.close();
    ok = ok && out.error() == QFileDevice::NoError;
    if (!ok)
        out.remove();
    return ok ? Written::Done : Written::Failed;
}

bool hardLink(const QString& from, const QString& to)
{
#ifdef Q_OS_UNIX
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#else
    return QFile::copy(from, to);
#endif
}

// The nodes where the control data lays them out.
std::vector<NodePoint> gridNodes(const ProjectFileData& data)
{
    Project grid = startupProject();
    applyControlData(grid, {data.GridSpacing, data.GridRows, data.GridCols, 0});
    return grid.Nodes;
}

// Nodes lie row by row on the grid; a node elsewhere shows a ".nod" from another project.
int firstMisplacedNode(const ProjectFileData& data)
{
    const std::vector<NodePoint> grid = gridNodes(data);
    for (int n = 1; n <= data.NodeCount; ++n) {
        if (data.Nodes[n].X != grid[n].X || data.Nodes[n].Y != grid[n].Y)
            return n;
    }
    return 0;
}

} // namespace

ProjectFileNames projectFileNames(const QString& picked)
{
    const QLatin1String ext(".gnd");
    ProjectFileNames names;
    names.base = picked.endsWith(ext, Qt::CaseSensitive) ? picked.chopped(ext.size()) : picked;
    names.gnd = names.base + ext;
    names.nod = names.base + QLatin1String(".nod");
    return names;
}

QString fileTitleOf(const QString& gndFileName)
{
    const auto isSeparator = [](QChar c) {
#ifdef Q_OS_WIN
        return c == QLatin1Char('\\') || c == QLatin1Char('/');
#else
        return c == QLatin1Char('/');
#endif
    };
    // Tails shorter than six characters are never looked at, so a separator among the last
    // five characters does not end the title.
    for (qsizetype pos = gndFileName.size() - 6; pos >= 0; --pos) {
        if (isSeparator(gndFileName.at(pos)))
            return gndFileName.mid(pos + 1);
    }
    return gndFileName;
}

// Only a regular file (or a link to one) is ever opened: a FIFO would block the only thread,
// and replacing a device or directory with a regular file destroys it.
bool isRegularFileTarget(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return !info.isSymLink(); // a dangling link would be replaced by a file
    return info.isFile();
}

QByteArray encodeHeader(const ProjectHeader& h)
{
    QByteArray out;
    out.reserve(HeaderBytes);
    appendText(out, h.ProjectName);
    appendText(out, h.EngineerName);
    appendInt16(out, h.GridRows);
    appendInt16(out, h.GridCols);
    appendInt16(out, h.GridSpacing);
    appendInt16(out, h.NodeCount);
    appendFloat(out, h.ContourInterval);
    return out;
}

QByteArray encodeNodes(const Project& p)
{
    const qsizetype count = qMax<qsizetype>(p.NodeCount, 0);
    Q_ASSERT(count == 0 || qsizetype(p.Nodes.size()) > count);
    const qsizetype stored = qMin(count, qsizetype(p.Nodes.size()) - 1);
    // Nodes the table lacks are written as zero rather than read out of bounds.
    QByteArray out(count * NodeRecordBytes, '\0');
    char* w = out.data();
    for (qsizetype n = 1; n <= stored; ++n, w += NodeRecordBytes) {
        qToLittleEndian(std::bit_cast<quint32>(p.Nodes[n].X), w);
        qToLittleEndian(std::bit_cast<quint32>(p.Nodes[n].Y), w + 4);
        qToLittleEndian(std::bit_cast<quint32>(p.Nodes[n].Z), w + 8);
    }
    return out;
}

std::variant<ProjectFileData, FileError> readProject(QIODevice& gnd, QIODevice& nod)
{
    char header[HeaderBytes];
    if (const auto problem = problemOf(readExactly(gnd, header, HeaderBytes)))
        return FileError{ProjectFile::Gnd, *problem};

    ProjectFileData data;
    data.ProjectName = decodeText(header);
    data.EngineerName = decodeText(header + 40);
    data.GridRows = int16At(header + 80);
    data.GridCols = int16At(header + 82);
    data.GridSpacing = int16At(header + 84);
    data.NodeCount = int16At(header + 86);
    data.ContourInterval = floatAt(header + 88);

    const bool headerUsable = data.GridRows >= 0 && data.GridCols >= 0 && data.GridSpacing >= 0 &&
                              data.NodeCount >= 0 &&
                              int(data.NodeCount) == int(data.GridRows) * int(data.GridCols) &&
                              std::isfinite(data.ContourInterval);
    if (!headerUsable)
        return FileError{ProjectFile::Gnd, FileProblem::Malformed};

    const qint64 count = data.NodeCount;
    QByteArray records(count * NodeRecordBytes, Qt::Uninitialized);
    if (const auto problem = problemOf(readExactly(nod, records.data(), records.size())))
        return FileError{ProjectFile::Nod, *problem};

    data.Nodes.resize(count + 1);
    const char* r = records.constData();
    for (qint64 n = 1; n <= count; ++n, r += NodeRecordBytes) {
        const NodePoint node{floatAt(r), floatAt(r + 4), floatAt(r + 8)};
        if (!std::isfinite(node.X) || !std::isfinite(node.Y) || !std::isfinite(node.Z))
            return FileError{ProjectFile::Nod, FileProblem::Malformed};
        data.Nodes[n] = node;
    }
    data.MisplacedNode = firstMisplacedNode(data);
    return data;
}

QString misplacedNodeText(const ProjectFileData& data, const ProjectFileNames& names)
{
    const int n = data.MisplacedNode;
    const NodePoint& node = data.Nodes.at(n);
    const NodePoint place = gridNodes(data).at(n);
    return msg::nodeOffGrid(QDir::toNativeSeparators(names.nod), n, node.X, node.Y, place.X,
                            place.Y);
}

std::variant<ProjectFileData, FileError> loadProjectFiles(const ProjectFileNames& names)
{
    for (const auto& [name, file] :
         {std::pair{names.gnd, ProjectFile::Gnd}, {names.nod, ProjectFile::Nod}}) {
        if (!isRegularFileTarget(name))
            return FileError{file, FileProblem::CannotOpen};
    }
    // Read-only, so a project on a read-only medium or with read-only files still opens.
    QFile gnd(names.gnd);
    if (!gnd.open(QIODevice::ReadOnly))
        return FileError{ProjectFile::Gnd, FileProblem::CannotOpen};
    QFile nod(names.nod);
    if (!nod.open(QIODevice::ReadOnly))
        return FileError{ProjectFile::Nod, FileProblem::CannotOpen};
    auto read = readProject(gnd, nod);
    const QString geoName = georeferenceFileName(names.base);
    QFile geo(geoName);
    if (auto* data = std::get_if<ProjectFileData>(&read); data && geo.exists()) {
        if (!QFileInfo(geoName).isFile()) {
            data->GeorefProblem = QStringLiteral("ไม่ใช่แฟ้มข้อมูล"); // a FIFO would never answer
        } else if (!geo.open(QIODevice::ReadOnly)) {
            data->GeorefProblem = geo.errorString();
        } else {
            auto g = readGeoreference(geo, {data->GridRows, data->GridCols, data->GridSpacing});
            if (auto* problem = std::get_if<QString>(&g))
                data->GeorefProblem = *problem;
            else
                data->Georef = std::get<Georeference>(g);
        }
    }
    return read;
}

QString projectFilePath(const ProjectFileNames& names, ProjectFile file)
{
    switch (file) {
    case ProjectFile::Gnd:
        return names.gnd;
    case ProjectFile::Nod:
        return names.nod;
    case ProjectFile::Geo:
        break;
    }
    return georeferenceFileName(names.base);
}

std::optional<SaveError> saveProjectPair(const Project& p, const ProjectFileNames& picked,
                                         bool lockHeld)
{
    const ProjectFileNames names{picked.base, resolved(picked.gnd), resolved(picked.nod)};
    const QString geoName = resolved(georeferenceFileName(names.base));
    const bool hadGeo = QFileInfo(geoName).isFile();

    // One file of the save, in the order the new files take their names: the ".nod" last, so
    // until it has its name Open finds it still the backed-up one and can put all three back.
    struct Part
    {
        QString name;
        ProjectFile file;
        bool hadNone = false; // no old file: the backup is an empty marker saying so
        QString fresh{}, backup{};
    };
    std::vector<Part> parts{{names.gnd, ProjectFile::Gnd}};
    if (p.Georef || hadGeo)
        parts.push_back({geoName, ProjectFile::Geo, !hadGeo});
    parts.push_back({names.nod, ProjectFile::Nod});
    for (const Part& part : parts) {
        const QFileInfo info(part.name);
        if (!isRegularFileTarget(part.name) || (info.exists() && !info.isWritable()))
            return SaveError{part.file, SaveProblem::Write, {}};
    }

    // Held for the whole save, so two saves of one pair never mix their files.
    ProjectLock lock(names.gnd);
    if (!lockHeld) {
        switch (lock.take()) {
        case ProjectLock::State::Held:
            break;
        case ProjectLock::State::HeldElsewhere:
            return SaveError{ProjectFile::Gnd, SaveProblem::Locked, lock.holder()};
        case ProjectLock::State::FolderRefuses:
            return SaveError{ProjectFile::Gnd, SaveProblem::FolderRefuses, {}};
        case ProjectLock::State::Failed:
            return SaveError{ProjectFile::Gnd, SaveProblem::Write, {}};
        }
    }

    const auto cleanUp = [&] {
        for (const Part& part : parts) {
            for (const QString& side : {part.fresh, part.backup}) {
                if (!side.isEmpty())
                    QFile::remove(side);
            }
        }
    };
    // The folders the save renames in, by a file in each: links may lead the files apart.
    QStringList folders, inFolder;
    for (const Part& part : parts) {
        const QString folder = QFileInfo(part.name).absolutePath();
        if (!folders.contains(folder)) {
            folders << folder;
            inFolder << part.name;
        }
    }
    const auto syncFolders = [&] {
        for (const QString& file : inFolder)
            syncFolder(file);
    };

    for (Part& part : parts) {
        std::optional<QByteArray> content;
        switch (part.file) {
        case ProjectFile::Gnd:
            content = overlay(part.name, encodeHeader(p));
            break;
        case ProjectFile::Nod:
            content = overlay(part.name, encodeNodes(p));
            break;
        case ProjectFile::Geo:
            if (!p.Georef)
                continue; // the old one goes
            content = writeGeoreference(*p.Georef, {p.GridRows, p.GridCols, p.GridSpacing});
            break;
        }
        if (!content)
            return cleanUp(), SaveError{part.file, SaveProblem::Write, {}};
        part.fresh = sideFileName(part.name, ".new");
        if (const Written written = writeSynced(part.fresh, *content, part.name);
            written != Written::Done) {
            part.fresh.clear();
            return cleanUp(),
                   SaveError{part.file,
                             written == Written::FolderRefuses ? SaveProblem::FolderRefuses
                                                               : SaveProblem::Write,
                             {}};
        }
    }

    // The old files keep second names until the ".nod" has its new one; a stop in between
    // leaves backups Open can put back.
    if (QFileInfo::exists(names.gnd) && QFileInfo::exists(names.nod)) {
        // Left by a stop nobody put back, they would be taken for this save's; the ".nod"'s
        // goes first, so no moment shows stale backups as a stopped save.
        for (const QString& stale :
             {sideFileName(names.nod, ".bak"), sideFileName(names.gnd, ".bak"),
              sideFileName(geoName, ".bak")})
            QFile::remove(stale);
        for (Part& part : parts) {
            part.backup = sideFileName(part.name, ".bak");
            // A real georeference always has an origin, so an empty backup cannot be mistaken.
            const bool kept = part.hadNone
                                  ? writeSynced(part.backup, {}, part.name) == Written::Done
                                  : hardLink(part.name, part.backup);
            if (!kept) {
                part.backup.clear();
                return cleanUp(), SaveError{part.file, SaveProblem::Write, {}};
            }
        }
        syncFolders();
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Part& part = parts[i];
        if (part.fresh.isEmpty() ? QFile::remove(part.name) : renameOver(part.fresh, part.name))
            continue;
        // Backwards, as Open would put them back.
        for (std::size_t j = i; j-- > 0;) {
            const Part& done = parts[j];
            if (done.backup.isEmpty())
                continue;
            if (done.hadNone)
                QFile::remove(done.name);
            else
                renameOver(done.backup, done.name);
        }
        cleanUp();
        syncFolders();
        return SaveError{part.file, SaveProblem::Write, {}};
    }
    syncFolders();
    for (const Part& part : parts) {
        if (!part.backup.isEmpty())
            QFile::remove(part.backup);
    }
    syncFolders();
    return std::nullopt;
}

std::optional<ProjectFile> saveProjectFiles(const Project& p, const ProjectFileNames& names)
{
    if (const auto failure = saveProjectPair(p, names))
        return failure->file;
    return std::nullopt;
}

QString saveFailureText(const SaveError& failure, const ProjectFileNames& names)
{
    const QString gnd = QDir::toNativeSeparators(names.gnd);
    switch (failure.problem) {
    case SaveProblem::Locked:
        return msg::projectLocked(gnd, failure.holder);
    case SaveProblem::FolderRefuses:
        return msg::folderTakesNoNewFiles(
            QDir::toNativeSeparators(QFileInfo(names.gnd).absolutePath()),
            QDir::toNativeSeparators(
                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)));
    case SaveProblem::Write:
        break;
    }
    return msg::cannotSaveFile(QDir::toNativeSeparators(projectFilePath(names, failure.file)));
}

void takeFileData(Project& p, ProjectFileData data)
{
    p.header() = data.header();
    p.Nodes = std::move(data.Nodes);
}

void applyOpenedProject(Project& p, ProjectFileData&& data, const ProjectFileNames& names)
{
    p.Georef = data.Georef;
    takeFileData(p, std::move(data));

    p.DataFileBase = names.base;
    p.GndFileName = names.gnd;
    p.NodFileName = names.nod;
    p.FileTitle = fileTitleOf(names.gnd);

    p.setNormalWindow(p.GridSpacing != 0 ? p.GridSpacing : 10);
    if (p.NodeCount > 0) {
        p.ComputeElevationRange();
        p.ComputeNodeExtents();
    }
}

} // namespace tervan
