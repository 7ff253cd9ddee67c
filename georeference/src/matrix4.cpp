#include "matrix4.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace georef
{

Matrix4::Matrix4() : m_values{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

Matrix4::Matrix4(const Values& values) : m_values(values) {}

Matrix4 Matrix4::fromColumns(const core::vec3& axis0, const core::vec3& axis1, const core::vec3& axis2,
                             const core::vec3& origin)
{
    return Matrix4(Values{axis0.x, axis1.x, axis2.x, origin.x, //
                          axis0.y, axis1.y, axis2.y, origin.y, //
                          axis0.z, axis1.z, axis2.z, origin.z, //
                          0, 0, 0, 1});
}

Matrix4 Matrix4::translation(const core::vec3& offset)
{
    return fromColumns({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, offset);
}

Matrix4 Matrix4::operator*(const Matrix4& other) const
{
    Values result{};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += (*this)(row, k) * other(k, column);
            result[std::size_t(row * 4 + column)] = sum;
        }
    return Matrix4(result);
}

core::vec3 Matrix4::map(const core::vec3& point) const
{
    double q[4];
    for (int row = 0; row < 4; ++row)
        q[row] = (*this)(row, 0) * point.x + (*this)(row, 1) * point.y + (*this)(row, 2) * point.z + (*this)(row, 3);
    const double w = q[3] != 0.0 ? q[3] : 1.0;
    return {q[0] / w, q[1] / w, q[2] / w};
}

Matrix4 Matrix4::inverted(bool* invertible) const
{
    // Gauss-Jordan elimination with partial pivoting.
    double a[4][8];
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            a[row][column] = (*this)(row, column);
            a[row][column + 4] = row == column ? 1.0 : 0.0;
        }
    double scale = 0.0;
    for (double value : m_values)
        scale = std::max(scale, std::fabs(value));
    const double tolerance = (scale > 0.0 ? scale : 1.0) * 1e-14;
    for (int column = 0; column < 4; ++column) {
        int pivot = column;
        for (int row = column + 1; row < 4; ++row)
            if (std::fabs(a[row][column]) > std::fabs(a[pivot][column]))
                pivot = row;
        if (std::fabs(a[pivot][column]) <= tolerance) {
            if (invertible)
                *invertible = false;
            return Matrix4();
        }
        if (pivot != column)
            for (int k = 0; k < 8; ++k)
                std::swap(a[pivot][k], a[column][k]);
        const double divisor = a[column][column];
        for (int k = 0; k < 8; ++k)
            a[column][k] /= divisor;
        for (int row = 0; row < 4; ++row) {
            if (row == column || a[row][column] == 0.0)
                continue;
            const double factor = a[row][column];
            for (int k = 0; k < 8; ++k)
                a[row][k] -= factor * a[column][k];
        }
    }
    Values result{};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            result[std::size_t(row * 4 + column)] = a[row][column + 4];
    if (invertible)
        *invertible = true;
    return Matrix4(result);
}

bool Matrix4::isIdentity() const
{
    return *this == Matrix4();
}

} // namespace georef
