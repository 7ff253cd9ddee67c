#include "zrimage.h"

#include <algorithm>
#include <new>
#include <stdexcept>

ZRImage::ZRImage(int width, int height, float fill)
{
    allocate(width, height, fill);
}

bool ZRImage::allocate(int width, int height, float fill)
{
    m_width = 0;
    m_height = 0;
    std::vector<float>().swap(m_data);
    if (width < 0 || height < 0)
        return false;
    try {
        m_data.assign(std::size_t(width) * std::size_t(height), fill);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

void ZRImage::fill(float value)
{
    std::fill(m_data.begin(), m_data.end(), value);
}
