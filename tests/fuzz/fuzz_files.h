#pragma once
// The file readers' fuzz targets, by number: one libFuzzer program each, and one program
// that replays a kept corpus through any of them.

#include <cstddef>
#include <cstdint>

namespace ode::fuzz {

constexpr int kReaderCount = 11;
// "pldif", "tldif", "pndif", "tndif", "sldif", "sndif", "series", "amat", "plot", "acc", "exports".
extern const char* const kReaders[kReaderCount];

// Feeds one input to reader number `reader`.
int ReadInput(int reader, const uint8_t* data, size_t size);

} // namespace ode::fuzz
