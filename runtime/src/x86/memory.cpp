// The memory functions the compiler emits calls to, as string instructions.
// Linked into the shipped programs only: hosted test executables have the C
// library's.
#include <cstddef>

extern "C" {

void* memcpy(void* destination, const void* source, size_t count) {
  void* result = destination;
  asm volatile("rep movsb" : "+D"(destination), "+S"(source), "+c"(count) : : "memory");
  return result;
}

void* memset(void* destination, int value, size_t count) {
  void* result = destination;
  asm volatile("rep stosb" : "+D"(destination), "+c"(count) : "a"(value) : "memory");
  return result;
}

}  // extern "C"
