#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace core
{

/// A list of arrays of T, each of its own length (the host's container for
/// point runs such as the sticks of a fault). Arrays are numbered from 0 in
/// the order they were added.
template <typename T>
class MultiArray
{
public:
    using Array = std::vector<T>;

    MultiArray() = default;
    /// `arrayCount` empty arrays.
    explicit MultiArray(int arrayCount) : m_arrays(std::size_t(arrayCount > 0 ? arrayCount : 0)) {}

    int arrayCount() const { return int(m_arrays.size()); }
    bool isEmpty() const { return m_arrays.empty(); }

    /// Appends an array (empty by default) and returns its index.
    int addArray(Array values = Array())
    {
        m_arrays.push_back(std::move(values));
        return int(m_arrays.size()) - 1;
    }
    /// Keeps the first `arrayCount` arrays, or adds empty ones.
    void resize(int arrayCount) { m_arrays.resize(std::size_t(arrayCount > 0 ? arrayCount : 0)); }
    void clear() { m_arrays.clear(); }

    Array& array(int index) { return m_arrays[std::size_t(index)]; }
    const Array& array(int index) const { return m_arrays[std::size_t(index)]; }
    Array& operator[](int index) { return array(index); }
    const Array& operator[](int index) const { return array(index); }

    /// Values of every array together.
    std::size_t totalSize() const
    {
        std::size_t total = 0;
        for (const Array& values : m_arrays)
            total += values.size();
        return total;
    }

    typename std::vector<Array>::iterator begin() { return m_arrays.begin(); }
    typename std::vector<Array>::iterator end() { return m_arrays.end(); }
    typename std::vector<Array>::const_iterator begin() const { return m_arrays.begin(); }
    typename std::vector<Array>::const_iterator end() const { return m_arrays.end(); }

    bool operator==(const MultiArray& other) const { return m_arrays == other.m_arrays; }
    bool operator!=(const MultiArray& other) const { return !(*this == other); }

private:
    std::vector<Array> m_arrays;
};

} // namespace core
