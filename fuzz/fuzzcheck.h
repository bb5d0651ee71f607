#pragma once

#include <QBuffer>
#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken promise of a reader ends the run, so libFuzzer keeps the input that broke it.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "check failed: %s (line %d)\n", #cond, __LINE__);                 \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace tervan::fuzz {

// The input as the bytes of a read-only device, not copied, so ASan catches any read past it.
struct InputDevice
{
    QByteArray bytes;
    QBuffer buffer;
    InputDevice(const uint8_t* data, size_t size)
        : bytes(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size))),
          buffer(&bytes)
    {
        buffer.open(QIODevice::ReadOnly);
    }
};

} // namespace tervan::fuzz
