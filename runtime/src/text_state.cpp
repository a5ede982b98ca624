// The process-wide state of the text-file facility: the pending I/O result,
// the last platform code, the sharing setting, the standard handles and
// records, and the translation of platform codes into I/O result numbers.
#include "internal/text.hpp"

namespace rt {

constinit uint16_t INOUTRES = 0;
constinit int32_t ERRNO = 0;
constinit uint8_t FILEMODE = 2;

constinit int32_t STDINPUTHANDLE = UNUSEDHANDLE;
constinit int32_t STDOUTPUTHANDLE = UNUSEDHANDLE;
constinit int32_t STDERRORHANDLE = UNUSEDHANDLE;

constinit TEXTREC INPUT{};
constinit TEXTREC OUTPUT{};
constinit TEXTREC STDOUT{};
constinit TEXTREC STDERR{};

void ERRNO2INOUTRES() {
  const int32_t code = ERRNO;
  if (code >= 19 && code <= 31) {
    INOUTRES = static_cast<uint16_t>(code + 131);
  } else if (code == 32) {  // sharing violation: the file is in use
    INOUTRES = 5;
  } else {
    INOUTRES = static_cast<uint16_t>(code);
  }
  ERRNO = 0;
}

}  // namespace rt
