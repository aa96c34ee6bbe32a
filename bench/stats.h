// What the benchmarks report: medians of per-round ratios with a distribution-free 95% confidence interval.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace bench {

// The ranks (0-based) bounding a 95% confidence interval for the median of n values: the largest j with
// P(Binomial(n, 1/2) < j) <= 2.5%, and n - 1 - j.
inline std::pair<size_t, size_t> MedianConfidenceRanks(size_t n) {
    double cumulative = 0;
    size_t j = 0;
    for (size_t k = 0; k < n; ++k) {
        const double p = std::exp(std::lgamma(double(n) + 1) - std::lgamma(double(k) + 1) -
                                  std::lgamma(double(n - k) + 1) - double(n) * std::log(2.0));
        if (cumulative + p > 0.025)
            break;
        cumulative += p;
        j = k + 1;
    }
    return {j, n - 1 - j};
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// "label   median (median of n per-round ratios, 95% CI low .. high)"
inline void PrintRatio(const char* label, const std::vector<double>& values) {
    if (values.empty())
        return;
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const auto [low, high] = MedianConfidenceRanks(sorted.size());
    std::printf("%-28s%8.2f (median of %zu per-round ratios, 95%% CI %.2f .. %.2f)\n", label, Median(values),
                values.size(), sorted[low], sorted[high]);
}

} // namespace bench
