#pragma once

#include <vector>

/// A width × height image of 32-bit floats, row-major (row j, column i).
class ZRImage
{
public:
    ZRImage() = default;
    /// Allocates and fills with `fill`; an allocation failure leaves a null image.
    ZRImage(int width, int height, float fill = 0.0f);

    /// Resizes and fills; false (and a null image) when the size is negative or
    /// the memory is missing. Storage already held is reused when it fits and
    /// is at most twice the size needed (no fresh pages to fault in).
    bool allocate(int width, int height, float fill = 0.0f);
    /// Makes the image null; keepStorage keeps the memory for a later allocate().
    void reset(bool keepStorage = false);
    bool isNull() const { return m_width <= 0 || m_height <= 0; }

    int width() const { return m_width; }
    int height() const { return m_height; }
    float value(int column, int row) const { return m_data[std::size_t(row) * std::size_t(m_width) + std::size_t(column)]; }
    void setValue(int column, int row, float value)
    {
        m_data[std::size_t(row) * std::size_t(m_width) + std::size_t(column)] = value;
    }
    float* data() { return m_data.data(); }
    const float* data() const { return m_data.data(); }
    std::size_t size() const { return m_data.size(); }
    void fill(float value);

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<float> m_data;
};
