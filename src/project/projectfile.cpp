#include "project/projectfile.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>
#include <array>
#include <bit>
#include <cmath>
#include <utility>

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

// Only a regular file (or a link to one) is ever opened: a FIFO would block the only thread,
// and replacing a device or directory with a regular file destroys it.
bool isRegularOrMissing(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return !info.isSymLink(); // a dangling link would be replaced by a file
    return info.isFile();
}

// The new bytes over the start of the old file, its longer tail kept. Nothing is replaced until
// commit(), so both files can be prepared before either changes. The old file is read in full
// first, since a folder that takes no temporary file makes the save write in place.
bool prepareOverlay(QSaveFile& out, const QString& fileName, const QByteArray& bytes)
{
    if (!isRegularOrMissing(fileName))
        return false;
    QByteArray content = bytes;
    if (QFileInfo::exists(fileName)) {
        QFile old(fileName);
        if (!old.open(QIODevice::ReadOnly))
            return false;
        const QByteArray oldBytes = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return false;
        if (oldBytes.size() > bytes.size())
            content.append(oldBytes.constData() + bytes.size(), oldBytes.size() - bytes.size());
    }
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    // Qt buffers small writes and a failing flush does not stop commit(): check both here.
    if (out.write(content) != content.size() || !out.flush() ||
        out.error() != QFileDevice::NoError) {
        out.cancelWriting();
        return false;
    }
    return true;
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

QByteArray encodeHeader(const Project& p)
{
    QByteArray out;
    out.reserve(HeaderBytes);
    appendText(out, p.ProjectName);
    appendText(out, p.EngineerName);
    appendInt16(out, p.GridRows);
    appendInt16(out, p.GridCols);
    appendInt16(out, p.GridSpacing);
    appendInt16(out, p.NodeCount);
    appendFloat(out, p.ContourInterval);
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
    return data;
}

std::variant<ProjectFileData, FileError> loadProjectFiles(const ProjectFileNames& names)
{
    for (const auto& [name, file] :
         {std::pair{names.gnd, ProjectFile::Gnd}, {names.nod, ProjectFile::Nod}}) {
        if (!isRegularOrMissing(name))
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
    QFile geo(georeferenceFileName(names.base));
    if (auto* data = std::get_if<ProjectFileData>(&read); data && geo.exists()) {
        if (!geo.open(QIODevice::ReadOnly)) {
            data->GeorefProblem = geo.errorString();
        } else {
            auto g = readGeoreference(geo);
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

std::optional<ProjectFile> saveProjectFiles(const Project& p, const ProjectFileNames& names)
{
    QSaveFile gnd(names.gnd);
    if (!prepareOverlay(gnd, names.gnd, encodeHeader(p)))
        return ProjectFile::Gnd;
    QSaveFile nod(names.nod);
    if (!prepareOverlay(nod, names.nod, encodeNodes(p)))
        return ProjectFile::Nod;
    // Both are written in full before either replaces its file; only a failing rename of the
    // second can still leave a new header beside old nodes.
    if (!gnd.commit())
        return ProjectFile::Gnd;
    if (!nod.commit())
        return ProjectFile::Nod;
    const QString geoName = georeferenceFileName(names.base);
    if (p.Georef) {
        QSaveFile geo(geoName);
        const QByteArray bytes = writeGeoreference(*p.Georef);
        if (!geo.open(QIODevice::WriteOnly) || geo.write(bytes) != bytes.size() || !geo.commit())
            return ProjectFile::Geo;
    } else if (QFileInfo(geoName).isFile() && !QFile::remove(geoName)) {
        return ProjectFile::Geo;
    }
    return std::nullopt;
}

void applyOpenedProject(Project& p, ProjectFileData&& data, const ProjectFileNames& names)
{
    p.ProjectName = data.ProjectName;
    p.EngineerName = data.EngineerName;
    p.GridRows = data.GridRows;
    p.GridCols = data.GridCols;
    p.GridSpacing = data.GridSpacing;
    p.NodeCount = data.NodeCount;
    p.ContourInterval = data.ContourInterval;
    p.Nodes = std::move(data.Nodes);
    p.Georef = data.Georef;

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
