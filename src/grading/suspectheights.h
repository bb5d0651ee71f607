#pragma once

#include <vector>

namespace tervan {

struct Project;

// A typed height that stands out from its neighbours.
struct SuspectHeight
{
    int node = 0; // node number, from 1
    double elevation = 0;
    double median = 0;
};

struct SuspectCheck
{
    // Per node (node n at index n - 1): the median its neighbours give for it.
    std::vector<double> medians;
    // The median over the grid of the nodes' local deviations (see below).
    double deviation = 0;
    std::vector<SuspectHeight> suspects;
};

// A node is suspect when its height differs from every height its neighbours give for it by
// more than `factor` times the local deviation and by more than `floor` metres. Each of the
// four neighbour lines through the node (across, up, both diagonals) gives one height: the
// mean of its two neighbours, or at the border, where one side is missing, the two nearest
// heights on the other side carried on to the node (2 z1 - z2), compared only where no line has
// both sides. A mistyped height stands off all of them, while a shore, a terrace edge or a
// break in slope puts only the lines across it off. The local deviation is the median absolute
// deviation of the nodes' differences from their line heights' median over the 5 x 5 nodes about
// the node (itself left out), so that flat or levelled ground does not make rough ground elsewhere
// look wrong, nor the reverse. Wrong heights found are set to their median and the check run again,
// twice, so that they do not make their neighbours look wrong.
SuspectCheck findSuspectHeights(const Project& p, double factor = 5, double floor = 0.5);

} // namespace tervan
