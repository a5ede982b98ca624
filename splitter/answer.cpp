// Writing the answer: -1, or the half of each item in input order.
#include "runtime/text.hpp"
#include "runtime/text_lines.hpp"
#include "splitter.hpp"

using namespace rt;

void SAVE() {
  TEXT F;
  ASSIGN(F, "output.txt");
  REWRITE(F);
  INT_IOCHECK();
  if (ANS == 0) {
    WRITE_SINT(0, F, -1);
    WRITELN_END(F);
    INT_IOCHECK();
  } else {
    const int32_t last = N < NSIZE ? N : NSIZE;
    for (int32_t I = 1; I <= N; ++I) {
      // Every half the buffer has room for, with no call; the rest, and a
      // record that is not a disk file, by the statements.
      if (I <= last) I += fast::write_digit_lines(F, &OUT[I], last - I + 1);
      if (I > N) break;
      WRITE_SINT(0, F, OUT[I]);
      WRITELN_END(F);
      INT_IOCHECK();
    }
  }
  CLOSE(F);
  INT_IOCHECK();
}
