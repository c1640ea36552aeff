// One line per figure: the value, its floor measured in the same run, their ratio and the target.
#pragma once

#include <string>

namespace bench {

enum class TargetKind {
    None,          // reported only
    AtMost,        // value <= limit
    AtLeast,       // value >= limit
    RatioAtMost,   // value / floor <= limit
    AboveFloorAtMost,  // value - floor <= limit
};

struct Figure {
    std::string name;
    double value = 0.0;
    double floor = 0.0;
    std::string unit;
    std::string floorName;  // what the floor is
    TargetKind target = TargetKind::None;
    double limit = 0.0;
    int decimals = 2;
};

// Prints the figure as one line (scripts/bench collects them) and returns whether its target is met.
bool Report(const Figure& figure);

}  // namespace bench
