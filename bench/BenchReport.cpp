#include "BenchReport.h"

#include <cmath>
#include <cstdio>

namespace bench {

namespace {

std::string Number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

bool Report(const Figure& f) {
    // A floor that prints as zero (a change of a few bytes either way) gives no meaningful ratio.
    const bool floorIsZero = std::fabs(f.floor) < 0.5 * std::pow(10.0, -f.decimals);
    const double ratio = floorIsZero ? NAN : f.value / f.floor;
    bool met = true;
    std::string target;
    switch (f.target) {
    case TargetKind::None:
        break;
    case TargetKind::AtMost:
        met = f.value <= f.limit;
        target = "at most " + Number(f.limit, f.decimals) + " " + f.unit;
        break;
    case TargetKind::AtLeast:
        met = f.value >= f.limit;
        target = "at least " + Number(f.limit, f.decimals) + " " + f.unit;
        break;
    case TargetKind::RatioAtMost:
        met = !std::isnan(ratio) && ratio <= f.limit;
        target = "ratio at most " + Number(f.limit, 2);
        break;
    case TargetKind::AboveFloorAtMost:
        met = f.value - f.floor <= f.limit;
        target = "at most " + Number(f.limit, f.decimals) + " " + f.unit + " above the floor";
        break;
    }
    std::printf("BENCH %s: %s %s | floor %s %s (%s) | ratio %s", f.name.c_str(), Number(f.value, f.decimals).c_str(),
                f.unit.c_str(), Number(f.floor, f.decimals).c_str(), f.unit.c_str(), f.floorName.c_str(),
                std::isnan(ratio) ? "n/a" : Number(ratio, 2).c_str());
    if (f.target != TargetKind::None) std::printf(" | target %s: %s", target.c_str(), met ? "met" : "MISSED");
    std::printf("\n");
    std::fflush(stdout);
    return met;
}

}  // namespace bench
