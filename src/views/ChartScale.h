#pragma once

// Axis scales that a reader takes in at a glance: ranges and tick steps of
// 1, 2 or 5 times a power of ten. The values charted are integers, so no step
// is below 1.

// The tick step for `span` shown in at most `intervals` steps.
double niceStep(double span, int intervals);

struct AxisRange {
    double min;
    double max;
    double step;
};

// The range of whole steps that holds `low` to `high`; a single value gets a
// step on either side.
AxisRange niceRange(double low, double high, int intervals);
