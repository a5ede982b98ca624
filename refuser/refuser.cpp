// The refuser: reads and checks the task's leading numbers, then writes the
// two bytes "-1" with no line end.
#include "refuser.hpp"

#include "runtime/checks.hpp"
#include "runtime/startup.hpp"
#include "runtime/text.hpp"
#include "runtime/text_lines.hpp"

using namespace rt;

constinit uint16_t L = 0;
constinit uint16_t N = 0;
constinit SHORTSTRING S{};

namespace {

constexpr RANGEREC WORD_RANGE{0, 65535};

// Reads an unsigned number into a 16-bit variable: the low 16 bits are stored,
// then the whole value is range-checked, before the I/O check of the line.
[[gnu::always_inline]] inline uint16_t read_word(TEXT& F) {
  const uint32_t value = READ_UINT(F);
  const uint16_t word = static_cast<uint16_t>(value);
  CHECK_RANGE(static_cast<int32_t>(value), WORD_RANGE);
  READLN_END(F);
  INT_IOCHECK();
  return word;
}

}  // namespace

void INPUTDATA() {
  TEXT F;
  ASSIGN(F, "input.txt");
  RESET(F);
  INT_IOCHECK();
  L = read_word(F);
  N = read_word(F);
  for (uint16_t I = 1; I <= N && I != 0; ++I) {  // I wraps to 0 after 65535
    // The lines before the last are only passed over, as many at once as
    // the statements would read the same way; each ends checked.
    I = static_cast<uint16_t>(I + fast::skip_lines(F, S, N - I));
    INT_IOCHECK();
    READ_STRING(F, S, SHORTSTRING_CAPACITY);
    READLN_END(F);
    INT_IOCHECK();
  }
  CLOSE(F);
  INT_IOCHECK();
}

void OUTPUTDATA() {
  TEXT F;
  ASSIGN(F, "output.txt");
  REWRITE(F);
  INT_IOCHECK();
  WRITE_SINT(0, F, -1);
  WRITE_END(F);
  INT_IOCHECK();
  CLOSE(F);
  INT_IOCHECK();
}

void REFUSER() {
  ISCONSOLE = 1;
  INITIALIZEUNITS();
  INPUTDATA();
  OUTPUTDATA();
  DO_EXIT();
}

constinit const MAINROUTINE rt::PROGRAM_MAIN = REFUSER;
