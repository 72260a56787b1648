#pragma once

#include "framework/core/NumberRules.h"

#include <memory>

namespace fw {

// A point-like value; Left is x and Right is y. A Pair is never changed once made:
// whoever moves a point replaces the Pair.
class Pair {
public:
    Pair(double left, double right) : left_(left), right_(right) {}
    static std::shared_ptr<const Pair> Make(double left, double right) {
        return std::make_shared<const Pair>(left, right);
    }
    double Left() const { return left_; }
    double Right() const { return right_; }
    int32_t LeftInt() const { return ToInt32(left_); }
    int32_t RightInt() const { return ToInt32(right_); }

private:
    double left_;
    double right_;
};

using PairRef = std::shared_ptr<const Pair>;

} // namespace fw
