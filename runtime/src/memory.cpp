// The memory functions the compiler emits calls to, for the processors that
// have no faster form of their own in their folder. The runtime copies
// little, and never on its hot paths; it fills its file records, 576 bytes
// each, a word at a time. Linked into the shipped programs only: hosted
// test executables have the C library's.
#include <cstddef>
#include <cstdint>

extern "C" {

void* memcpy(void* destination, const void* source, size_t count) {
  auto* to = static_cast<unsigned char*>(destination);
  const auto* from = static_cast<const unsigned char*>(source);
  for (size_t i = 0; i < count; ++i)
    to[i] = from[i];
  return destination;
}

// Bytes up to a word's start, whole words, and the bytes left.
void* memset(void* destination, int value, size_t count) {
  auto* to = static_cast<unsigned char*>(destination);
  const auto byte = static_cast<unsigned char>(value);
  for (; count > 0 && (reinterpret_cast<uintptr_t>(to) & 7) != 0; --count)
    *to++ = byte;
  const uint64_t word = 0x0101010101010101u * byte;
  for (; count >= 8; count -= 8, to += 8)
    __builtin_memcpy(__builtin_assume_aligned(to, 8), &word, sizeof word);
  for (; count > 0; --count)
    *to++ = byte;
  return destination;
}

}  // extern "C"
