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
    if (width < 0 || height < 0) {
        std::vector<float>().swap(m_data);
        return false;
    }
    const std::size_t count = std::size_t(width) * std::size_t(height);
    if (m_data.capacity() < count || m_data.capacity() / 2 > count)
        std::vector<float>().swap(m_data);
    try {
        m_data.assign(count, fill);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

void ZRImage::reset(bool keepStorage)
{
    m_width = 0;
    m_height = 0;
    if (keepStorage)
        m_data.clear();
    else
        std::vector<float>().swap(m_data);
}

void ZRImage::fill(float value)
{
    std::fill(m_data.begin(), m_data.end(), value);
}
