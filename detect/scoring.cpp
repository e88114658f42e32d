#include "detect/scoring.h"

#include "detect/candidates.h"

namespace vorlex::detect {

bool isAccepted(const Judgement& judgement, int precision) noexcept {
    const double threshold =
        kPrecisionThresholds[static_cast<std::size_t>(clampPrecision(precision))];
    return judgement.score >= threshold * judgement.maximum;
}

std::optional<int> TopFive::place(double score) noexcept {
    for (int k = 0; k < 5; ++k) {
        if (static_cast<double>(values_[static_cast<std::size_t>(k)]) < score) {
            for (int i = 4; i > k; --i)
                values_[static_cast<std::size_t>(i)] = values_[static_cast<std::size_t>(i - 1)];
            // Stored with the margin, so a later variant must beat this one by more than it.
            values_[static_cast<std::size_t>(k)] = static_cast<float>(score + 0.000001);
            return k;
        }
    }
    return std::nullopt;
}

} // namespace vorlex::detect
