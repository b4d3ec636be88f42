// Byte streams through which the HTTP engine writes response bodies and reads request bodies.
#pragma once

#include <cstdint>
#include <memory>

// Error types shared with the HTTP tasks' result pairs.
enum StreamErrorType : std::int32_t {
    kStreamErrorNone = 0,
    kStreamErrorSys = 1,
    kStreamErrorCrt = 2,
    kStreamErrorUser = 3
};

class OBaseStream {
public:
    virtual ~OBaseStream() = default;
    // Bytes taken, negative on error.
    virtual int Write(const void* data, unsigned n) = 0;
    // Releases the underlying resource and clears the error fields.
    virtual void Close() = 0;
    // Discards everything written so far.
    virtual void Clear() = 0;

    std::int32_t ErrorCode() const { return errorCode; }
    std::int32_t ErrorType() const { return errorType; }

protected:
    void SetError(std::int32_t type, std::int32_t code) {
        errorType = type;
        errorCode = code;
    }

    std::int32_t errorCode = 0;
    std::int32_t errorType = kStreamErrorNone;
};

// Collects everything written in one growing memory buffer.
class OBufferStream : public OBaseStream {
public:
    static constexpr std::uint64_t kInitialCapacity = 2 * 1024 * 1024;
    static constexpr std::uint64_t kRestartCapacity = 512 * 1024;

    OBufferStream();

    int Write(const void* data, unsigned n) override;
    void Close() override;
    void Clear() override;

    const unsigned char* Data() const { return data.get(); }
    std::uint64_t Length() const { return length; }
    std::uint64_t Capacity() const { return capacity; }

private:
    void MakeRoom(unsigned n);

    std::unique_ptr<unsigned char[]> data;
    std::uint64_t capacity = 0;
    std::uint64_t length = 0;
};

class IBaseStream {
public:
    virtual ~IBaseStream() = default;
    virtual int Read(void* out, unsigned n) = 0;
    virtual unsigned Size() = 0;
    virtual void Close() = 0;
};

// Reads a private copy of a memory block.
class IBufferStream : public IBaseStream {
public:
    IBufferStream(unsigned size, const void* source);

    // n bytes, 0 at the end, or -1 (nothing copied) when fewer than n bytes remain.
    int Read(void* out, unsigned n) override;
    unsigned Size() override { return size; }
    void Close() override;

    unsigned Position() const { return position; }

private:
    std::unique_ptr<unsigned char[]> data;
    unsigned size = 0;
    unsigned position = 0;
};
