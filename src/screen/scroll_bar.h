#pragma once
// The vertical scroll bar's model. Setting the value from code raises the change
// event at once, inside the caller, as the user's own changes do.
#include <algorithm>
#include <functional>

namespace tarpon {

class ScrollBar {
public:
    int min() const { return min_; }
    int max() const { return max_; }
    int value() const { return value_; }
    int smallStep() const { return smallStep_; }

    void setRange(int lo, int hi) {
        min_ = lo;
        max_ = hi;
        setValue(std::clamp(value_, lo, hi));
    }
    void setSmallStep(int step) { smallStep_ = step; }
    void setValue(int v) {
        v = std::clamp(v, min_, max_);
        if (v == value_) return;
        value_ = v;
        if (onChange) onChange();
    }
    // The thumb is being dragged to v.
    void scrollTo(int v) {
        value_ = std::clamp(v, min_, max_);
        if (onScroll) onScroll();
    }

    std::function<void()> onChange;
    std::function<void()> onScroll;

private:
    int min_ = 0, max_ = 32767, value_ = 0, smallStep_ = 1;
};

}  // namespace tarpon
