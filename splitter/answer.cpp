// Writing the answer: -1, or the half of each item in input order.
#include "runtime/text.hpp"
#include "runtime/text_lines.hpp"
#include "splitter.hpp"

using namespace rt;

namespace {

// The halves from I on that the buffer has room for, written with no call;
// returns the index of the first left to the statements. A routine of its
// own: inline, the compiler would copy the loop into more than one path.
[[gnu::noinline]] int32_t write_halves(TEXT& F, int32_t I) {
  const int32_t last = N < NSIZE ? N : NSIZE;
  return I <= last ? I + fast::write_digit_lines(F, &OUT[I], last - I + 1) : I;
}

}  // namespace

void SAVE() {
  TEXT F;
  ASSIGN(F, "output.txt");
  REWRITE(F);
  INT_IOCHECK();
  if (ANS == 0) {
    general::WRITE_SINT(0, F, -1);
    general::WRITELN_END(F);
    INT_IOCHECK();
  } else {
    for (int32_t I = 1; I <= N; ++I) {
      // What the runs leave (about one half a buffer, and every half of a
      // record that is not a disk file) by the statements' general steps,
      // which write as their inline paths would.
      I = write_halves(F, I);
      if (I > N) break;
      general::WRITE_SINT(0, F, OUT[I]);
      general::WRITELN_END(F);
      INT_IOCHECK();
    }
  }
  CLOSE(F);
  INT_IOCHECK();
}
