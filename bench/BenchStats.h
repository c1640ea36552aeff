// Order statistics of repeated measurements.
#pragma once

#include <vector>

namespace bench {

// The middle value (mean of the two middle ones for an even count); 0 for no samples.
double Median(std::vector<double> samples);
// The value below which `percent` of the samples lie (nearest rank); 0 for no samples.
double Percentile(std::vector<double> samples, double percent);

}  // namespace bench
