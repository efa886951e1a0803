// Reads a fuzz input front to back; past its end every read gives zeros, so
// any input is a complete description.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
    // `count` bytes, at most what is left.
    std::vector<uint8_t> Bytes(size_t count) {
        if (count > size_ - at_) count = size_ - at_;
        std::vector<uint8_t> out(data_ + at_, data_ + at_ + count);
        at_ += count;
        return out;
    }
    // A length byte, then that many bytes (at most `max`).
    std::vector<uint8_t> Sized(size_t max) { return Bytes(Byte() % (max + 1)); }
    // The rest of the input.
    std::vector<uint8_t> Rest() { return Bytes(size_ - at_); }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// A failed expectation ends the run with a crash that libFuzzer records.
inline void Expect(bool ok) {
    if (!ok) std::abort();
}
