// Writing the answer: -1, or the half of each item in input order.
#include "runtime/text.hpp"
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
    for (int32_t I = 1; I <= N; ++I) {
      WRITE_SINT(0, F, OUT[I]);
      WRITELN_END(F);
      INT_IOCHECK();
    }
  }
  CLOSE(F);
  INT_IOCHECK();
}
