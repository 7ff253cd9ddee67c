#pragma once

#include "vec3.h"

#include <array>

namespace georef
{

/// A 4 × 4 matrix of doubles stored row by row. A point p maps to
/// q_r = (m[r][0]·p.x + m[r][1]·p.y + m[r][2]·p.z + m[r][3]) / w, with w the same
/// expression for row 3.
class Matrix4
{
public:
    using Values = std::array<double, 16>;

    /// The identity.
    Matrix4();
    explicit Matrix4(const Values& values);

    static Matrix4 identity() { return Matrix4(); }
    /// The affine matrix whose columns 0..2 are the axes and column 3 the origin.
    static Matrix4 fromColumns(const core::vec3& axis0, const core::vec3& axis1, const core::vec3& axis2,
                               const core::vec3& origin);
    static Matrix4 translation(const core::vec3& offset);

    double operator()(int row, int column) const { return m_values[std::size_t(row * 4 + column)]; }
    double& operator()(int row, int column) { return m_values[std::size_t(row * 4 + column)]; }
    const Values& values() const { return m_values; }

    Matrix4 operator*(const Matrix4& other) const;
    bool operator==(const Matrix4& other) const { return m_values == other.m_values; }
    bool operator!=(const Matrix4& other) const { return !(*this == other); }

    /// Maps a point with the homogeneous division (w = 0 gives the undivided result).
    core::vec3 map(const core::vec3& point) const;

    /// The inverse; `invertible` tells whether the matrix was regular (the
    /// identity is returned otherwise).
    Matrix4 inverted(bool* invertible = nullptr) const;

    bool isIdentity() const;

private:
    Values m_values;
};

} // namespace georef
