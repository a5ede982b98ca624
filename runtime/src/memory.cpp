// The memory functions the compiler emits calls to, as byte loops, for the
// processors that have no faster form of their own in their folder: the
// runtime copies and fills little, and never on its hot paths. Linked into
// the shipped programs only: hosted test executables have the C library's.
#include <cstddef>

extern "C" {

void* memcpy(void* destination, const void* source, size_t count) {
  auto* to = static_cast<unsigned char*>(destination);
  const auto* from = static_cast<const unsigned char*>(source);
  for (size_t i = 0; i < count; ++i)
    to[i] = from[i];
  return destination;
}

void* memset(void* destination, int value, size_t count) {
  auto* to = static_cast<unsigned char*>(destination);
  for (size_t i = 0; i < count; ++i)
    to[i] = static_cast<unsigned char>(value);
  return destination;
}

}  // extern "C"
