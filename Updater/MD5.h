// MD5 message digest (RFC 1321) over bytes or an open file, rendered as lowercase hex.
#pragma once

#include <cstdint>
#include <cstdio>

class MD5 {
public:
    MD5();
    // Digests the rest of an open stream in 1,024-byte reads, closes the stream and finalises.
    explicit MD5(std::FILE* file);

    void init();
    void update(const unsigned char* input, unsigned length);
    void finalize();
    // 32 lowercase hex digits, valid while the object lives; empty before finalize().
    const char* hex_digest();
    // True when the file form stopped at a read error rather than at the end of the file.
    bool readFailed() const { return readError; }

private:
    void transform(const unsigned char block[64]);

    std::uint32_t state[4];
    std::uint32_t count[2];  // bits digested, low word first
    unsigned char buffer[64];
    unsigned char digest[16];
    bool finalized = false;
    char hexText[33];
    bool readError = false;
};
