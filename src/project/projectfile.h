#pragma once

#include "project/project.h"

#include <QString>
#include <optional>
#include <variant>
#include <vector>

class QIODevice;

namespace tervan {

// The ".gnd" header record and the ".nod" node records, byte for byte: little-endian 16-bit
// integers and IEEE single floats, the two heading texts in the Thai single-byte code page
// (windows-874; characters it cannot hold become '?'). Neither file has a signature; the node
// count lives in the header only. Readers read everything before the caller changes any state.

constexpr qint64 HeaderBytes = 92;
constexpr qint64 NodeRecordBytes = 12;

// The three names derived from what the user picked in the file dialog.
struct ProjectFileNames
{
    QString base; // DataFileBase
    QString gnd;  // GndFileName
    QString nod;  // NodFileName
};

// A trailing ".gnd" (exactly, case-sensitive) is dropped from the picked name.
ProjectFileNames projectFileNames(const QString& picked);

// The file-name part of a header path, as report headings print it.
QString fileTitleOf(const QString& gndFileName);

// Whether a file may be opened or written as the program's own: a regular file, a link to one,
// or nothing yet; never a FIFO, a device or a folder.
bool isRegularFileTarget(const QString& fileName);

// Everything a pair of project files holds.
struct ProjectFileData : ProjectHeader
{
    std::vector<NodePoint> Nodes; // indices 0..NodeCount, index 0 zero
    // The first node whose X, Y is not its place on the header's grid (0: none), as when the
    // two files come from different saves.
    int MisplacedNode = 0;
    // From the georeference file beside the pair; a damaged one, or one saved with another
    // grid, leaves Georef empty and says why in GeorefProblem.
    std::optional<Georeference> Georef;
    QString GeorefProblem;
};

// The warning Open gives for a pair whose nodes do not lie on the header's grid.
QString misplacedNodeText(const ProjectFileData& data, const ProjectFileNames& names);

enum class ProjectFile { Gnd, Nod, Geo };

// The file's name among the project's.
QString projectFilePath(const ProjectFileNames& names, ProjectFile file);
enum class FileProblem {
    CannotOpen, // missing or unreadable
    Malformed,  // too short, or values the program cannot work with
};

struct FileError
{
    ProjectFile file;
    FileProblem problem;
    bool operator==(const FileError&) const = default;
};

QByteArray encodeHeader(const ProjectHeader& h);
// Records of nodes 1..NodeCount.
QByteArray encodeNodes(const Project& p);

// Reads both devices (already open for reading). Refuses a header shorter than 92 bytes, a
// negative count or spacing, a node count other than rows x columns, a non-finite interval,
// a node file with fewer than NodeCount records, and non-finite node values.
std::variant<ProjectFileData, FileError> readProject(QIODevice& gnd, QIODevice& nod);

// Opens the two files read-only and reads them, and the georeference file when there is one.
std::variant<ProjectFileData, FileError> loadProjectFiles(const ProjectFileNames& names);

enum class SaveProblem {
    Write,         // a file could not be read, written or renamed
    Locked,        // another program holds the pair's lock
    FolderRefuses, // the folder takes no new file, so nothing could be replaced safely
};

struct SaveError
{
    ProjectFile file;
    SaveProblem problem;
    QString holder; // who holds the lock
};

// Writes the header over the start of the ".gnd" file and the node records over the start of
// the ".nod" file, keeping any longer old tail, and the georeference file with the grid it
// belongs to (removing an old one when the project has none). All new files reach the disk
// under hidden names first, the old ones are kept under backup names (an empty one for a
// georeference there was not), and the renames follow each other, the ".nod" last; a failure
// leaves the old files as they were. The pair's lock is taken for the save unless the caller
// already holds it.
std::optional<SaveError> saveProjectPair(const Project& p, const ProjectFileNames& names,
                                         bool lockHeld = false);
// The same, answering only the first file that could not be written.
std::optional<ProjectFile> saveProjectFiles(const Project& p, const ProjectFileNames& names);
QString saveFailureText(const SaveError& failure, const ProjectFileNames& names);

// Puts the header and the nodes into the project; nothing else changes.
void takeFileData(Project& p, ProjectFileData data);

// The state after a successful open: header, nodes, file names and title, the normal window for
// the spacing (10 when it is 0), and the elevation range and node extents when there are nodes.
void applyOpenedProject(Project& p, ProjectFileData&& data, const ProjectFileNames& names);

} // namespace tervan
