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
    // Median absolute deviation of every node's difference from that median.
    double deviation = 0;
    std::vector<SuspectHeight> suspects;
};

// A node is suspect when its height differs from the median its neighbours give for it by more
// than `factor` times the grid's median absolute deviation and by more than `floor` metres.
// Each of the four neighbour lines through the node (across, up, both diagonals) gives one
// height: the mean of its two neighbours, or at the border, where one side is missing, the
// two nearest heights on the other side carried on to the node (2 z1 - z2). On sloping ground
// the neighbours' plain heights lie a slope step above and below the node, so their median
// jumps by that much when one of them is wrong and sits a whole step off at the border; the
// line heights stay at the node's height and one wrong neighbour spoils only one of them.
// Grids too small for any line fall back to the median of the neighbours' heights.
SuspectCheck findSuspectHeights(const Project& p, double factor = 5, double floor = 0.5);

} // namespace tervan
