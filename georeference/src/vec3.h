#pragma once

#include <cmath>

namespace core
{

/// A host 3D point: (map x or trace, vertical value, map y or line).
struct vec3
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    constexpr vec3() = default;
    constexpr vec3(double xValue, double yValue, double zValue) : x(xValue), y(yValue), z(zValue) {}

    constexpr vec3 operator+(const vec3& other) const { return {x + other.x, y + other.y, z + other.z}; }
    constexpr vec3 operator-(const vec3& other) const { return {x - other.x, y - other.y, z - other.z}; }
    constexpr vec3 operator*(double factor) const { return {x * factor, y * factor, z * factor}; }
    constexpr bool operator==(const vec3& other) const { return x == other.x && y == other.y && z == other.z; }
    constexpr bool operator!=(const vec3& other) const { return !(*this == other); }

    double length() const { return std::sqrt(x * x + y * y + z * z); }
};

} // namespace core
