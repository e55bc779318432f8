#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

/** A zero-filled, 32-byte aligned array allocated once, at construction.
    DSP modules hold their work buffers in these so that no audio-thread code
    ever allocates. */
template <typename T>
class AlignedBuffer
{
public:
    explicit AlignedBuffer (std::size_t count) : size (count)
    {
        const std::size_t bytes = ((count * sizeof (T) + kAlignment - 1) / kAlignment) * kAlignment;
        data = static_cast<T*> (std::aligned_alloc (kAlignment, bytes == 0 ? kAlignment : bytes));
        if (data == nullptr)
            throw std::bad_alloc();
        std::memset (static_cast<void*> (data), 0, bytes == 0 ? kAlignment : bytes);
    }

    ~AlignedBuffer() { std::free (data); }

    AlignedBuffer (const AlignedBuffer&) = delete;
    AlignedBuffer& operator= (const AlignedBuffer&) = delete;

    T* get() noexcept { return data; }
    const T* get() const noexcept { return data; }
    T& operator[] (std::size_t i) noexcept { return data[i]; }
    const T& operator[] (std::size_t i) const noexcept { return data[i]; }
    std::size_t getSize() const noexcept { return size; }

    void clear() noexcept { std::memset (static_cast<void*> (data), 0, size * sizeof (T)); }

    static constexpr std::size_t kAlignment = 32;

private:
    T* data = nullptr;
    std::size_t size = 0;
};
