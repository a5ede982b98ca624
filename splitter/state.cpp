// The splitter's global state, zero when the program starts.
#include "splitter.hpp"

constinit ITEMARRAY B{};
constinit rt::CHECKED_ARRAY<int32_t, 0, NSIZE> OUT{};
constinit int32_t N = 0;
constinit int32_t L = 0;
constinit int32_t L2 = 0;
constinit int32_t ANS = 0;
