// The stepping of the placement rule: from the last stamp (x = 0) toward the
// span end (x = L), each next stamp at x' = x + s r(x) + s r(x') with the
// width r falling linearly from r0 to r1. Shared by both stampers and the
// cast-shadow rows.
#pragma once

#include <cstdint>

class TStampPlacer {
public:
    // length L, widths at both ends, spacing factor s, most stamps to lay.
    TStampPlacer(double length, double r0, double r1, double spacing, int32_t capacity);

    // The next stamp's fraction f = x' / L in (0, 1); false when the next
    // position lies at or past the end, the cap is reached, or the rule
    // stops making progress.
    bool Next(double& fraction);

    // The fraction of the first position that fell at or past the end
    // (valid once Next answered false because of the end; else 0).
    double Beyond() const { return beyond_; }
    int32_t Count() const { return count_; }
    bool Capped() const { return capped_; }

private:
    double length_ = 0.0;
    double r1_ = 0.0;
    double slope_ = 0.0;
    double spacing_ = 0.0;
    double minimum_ = 0.0;
    double x_ = 0.0;
    double r_ = 0.0;
    double beyond_ = 0.0;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    bool done_ = false;
    bool capped_ = false;
};
