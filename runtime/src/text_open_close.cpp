// Binding, opening and closing text files, and the hooks an open record gets.
#include "internal/text.hpp"
#include "platform.hpp"

namespace rt {

namespace {

bool is_open(const TEXTREC& t) {
  return t.MODE == FMINPUT || t.MODE == FMOUTPUT;
}

bool is_standard_handle(int32_t handle) {
  return handle == STDINPUTHANDLE || handle == STDOUTPUTHANDLE || handle == STDERRORHANDLE;
}

void OPENTEXT(TEXTREC& t, int32_t mode) {
  if (is_open(t)) {
    CLOSE(t);
    // A failed final drain leaves the record closed and the failure pending;
    // like every operation while one is pending, the open then does nothing.
    if (INOUTRES != 0) return;
  }
  t.MODE = mode;
  t.CURSOR = 0;
  t.FILLED = 0;
  t.OPENHOOK(t);
  if (INOUTRES != 0) t.MODE = FMCLOSED;
}

}  // namespace

void ASSIGN(TEXTREC& t, const char* name) {
  __builtin_memset(&t, 0, sizeof t);
  t.HANDLE = UNUSEDHANDLE;
  t.MODE = FMCLOSED;
  t.RECSIZE = TEXTRECBUFSIZE;
  t.BUFFERREF = t.BUFFER;
  t.OPENHOOK = FILEOPENFUNC;
  for (int32_t i = 0; i < TEXTRECNAMESIZE - 1 && name[i] != 0; ++i)
    t.NAME[i] = name[i];
}

void RESET(TEXTREC& t) {
  if (INOUTRES == 0) OPENTEXT(t, FMINPUT);
}

void REWRITE(TEXTREC& t) {
  if (INOUTRES == 0) OPENTEXT(t, FMOUTPUT);
}

void BIND_HOOKS(TEXTREC& t, bool flush_lines) {
  t.CLOSEHOOK = FILECLOSEFUNC;
  t.TRANSFERHOOK = t.MODE == FMINPUT ? FILEREADFUNC : FILEWRITEFUNC;
  t.FLUSHHOOK = t.MODE == FMOUTPUT && flush_lines ? FILEWRITEFUNC : nullptr;
}

void FILEOPENFUNC(TEXTREC& t) {
  DO_OPEN(t, t.NAME, t.MODE);
  // A console gets each line as it ends; a disk file only whole blocks.
  BIND_HOOKS(t, t.MODE == FMOUTPUT && INOUTRES == 0 && platform::DO_ISDEVICE(t.HANDLE));
}

void CLOSE(TEXTREC& t) {
  if (INOUTRES != 0) return;
  if (!is_open(t)) {
    INOUTRES = IO_NOT_OPEN;
    return;
  }
  if (t.MODE == FMOUTPUT) t.TRANSFERHOOK(t);
  if (!is_standard_handle(t.HANDLE)) t.CLOSEHOOK(t);
  t.MODE = FMCLOSED;
  t.CURSOR = 0;
  t.FILLED = 0;
}

void FILECLOSEFUNC(TEXTREC& t) {
  DO_CLOSE(t.HANDLE);
  t.HANDLE = UNUSEDHANDLE;
}

}  // namespace rt
