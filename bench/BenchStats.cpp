#include "BenchStats.h"

#include <algorithm>
#include <cmath>

namespace bench {

double Median(std::vector<double> samples) {
    if (samples.empty()) return 0.0;
    const size_t middle = samples.size() / 2;
    std::nth_element(samples.begin(), samples.begin() + middle, samples.end());
    const double upper = samples[middle];
    if (samples.size() % 2 != 0) return upper;
    const double lower = *std::max_element(samples.begin(), samples.begin() + middle);
    return (lower + upper) / 2.0;
}

double Percentile(std::vector<double> samples, double percent) {
    if (samples.empty()) return 0.0;
    const double rank = std::ceil(percent / 100.0 * static_cast<double>(samples.size()));
    const size_t index = rank < 1.0 ? 0 : std::min(samples.size() - 1, static_cast<size_t>(rank) - 1);
    std::nth_element(samples.begin(), samples.begin() + index, samples.end());
    return samples[index];
}

}  // namespace bench
