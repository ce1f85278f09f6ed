// The area whose objects are loaded: a rectangle given by its north-west and south-east
// corners in decimal degrees, as the user typed them.
#pragma once

struct AreaFilter {
    double west = 0;
    double north = 0;
    double east = 0;
    double south = 0;

    // In force only when all four bounds are non-zero; a NaN counts as non-zero.
    bool on() const { return west != 0 && north != 0 && east != 0 && south != 0; }

    // Whether an object at longitude x and latitude y is kept. Every side is strict, so a
    // point on a bound is outside, and a NaN bound keeps nothing out of nothing.
    bool contains(double x, double y) const {
        return !on() || (x > west && x < east && y < north && y > south);
    }
};
