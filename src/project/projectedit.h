#pragma once

#include "project/projectfile.h"

#include <optional>
#include <vector>

namespace tervan {

// What the user edits in a project, as its files hold it: the heading, the grid and the nodes.
// Undo keeps these, never the view, the grading results or the file names.
using ProjectContent = ProjectFileData;

ProjectContent contentOf(const Project& p);
bool sameContent(const ProjectContent& a, const ProjectContent& b);

// One node's height before and after a change.
struct HeightChange
{
    int node = 0;
    float before = 0;
    float after = 0;
};

// The nodes whose heights differ between two contents, or nothing when anything but heights
// differs (then only the whole content describes the change).
std::optional<std::vector<HeightChange>> heightChanges(const ProjectContent& before,
                                                       const ProjectContent& after);
// Sets every changed node to its height after (forward) or before the change; the elevation
// range follows.
void applyHeightChanges(Project& p, const std::vector<HeightChange>& changes, bool forward);

// Puts a whole content back. A changed spacing brings its normal window, as the control data
// do; the elevation range follows the heights.
void restoreContent(Project& p, const ProjectContent& c);

// True when no node has a height yet: the nodes of a new grid all stand at 0.
bool allHeightsUnset(const Project& p);

} // namespace tervan
