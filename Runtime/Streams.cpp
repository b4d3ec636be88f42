#include "Runtime/Streams.h"

#include <cstring>

OBufferStream::OBufferStream()
    : data(std::make_unique_for_overwrite<unsigned char[]>(kInitialCapacity)), capacity(kInitialCapacity) {}

int OBufferStream::Write(const void* bytes, unsigned n) {
    MakeRoom(n);
    if (n != 0) {
        std::memcpy(data.get() + length, bytes, n);
    }
    length += n;
    return static_cast<int>(n);
}

void OBufferStream::MakeRoom(unsigned n) {
    const std::uint64_t needed = length + n + 10;
    std::uint64_t grown = capacity;
    while (grown < needed) {
        grown = grown == 0 ? kRestartCapacity : grown * 2;
    }
    if (grown == capacity) {
        return;
    }
    auto bigger = std::make_unique_for_overwrite<unsigned char[]>(grown);
    if (length != 0) {
        std::memcpy(bigger.get(), data.get(), length);
    }
    data = std::move(bigger);
    capacity = grown;
}

void OBufferStream::Close() {
    data.reset();
    capacity = 0;
    length = 0;
    SetError(kStreamErrorNone, 0);
}

void OBufferStream::Clear() {
    Close();
}

IBufferStream::IBufferStream(unsigned sourceSize, const void* source)
    : data(std::make_unique_for_overwrite<unsigned char[]>(sourceSize)), size(sourceSize) {
    if (sourceSize != 0) {
        std::memcpy(data.get(), source, sourceSize);
    }
}

int IBufferStream::Read(void* out, unsigned n) {
    if (position == size) {
        return 0;
    }
    if (size - position < n) {
        return -1;
    }
    if (n != 0) {
        std::memcpy(out, data.get() + position, n);
    }
    position += n;
    return static_cast<int>(n);
}

void IBufferStream::Close() {
    data.reset();
    size = 0;
    position = 0;
}
