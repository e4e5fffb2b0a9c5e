// Order statistics of a set of samples.
#pragma once

#include <vector>

namespace bench {

// The nearest-rank percentile (0 < p <= 100) of the samples: the smallest
// sample with at least p per cent of the samples at or below it. 0 for no
// samples.
double Percentile(std::vector<double> samples, double p);
double Median(const std::vector<double>& samples);
double Maximum(const std::vector<double>& samples);

}  // namespace bench
