// Text files: the file record with its 256-byte buffer, the operations the
// programs use on it, the standard records, and the process-wide pending I/O
// result. No operation returns an error: a failure is left in INOUTRES, and
// every later operation does nothing until INT_IOCHECK meets it.
#pragma once

#include <cstdint>

#include "runtime/shortstring.hpp"

namespace rt {

struct TEXTREC;
using TEXTHOOK = void (*)(TEXTREC&);

constexpr int32_t UNUSEDHANDLE = -1;

// MODE values.
constexpr int32_t FMCLOSED = 0xD7B0;
constexpr int32_t FMINPUT = 0xD7B1;
constexpr int32_t FMOUTPUT = 0xD7B2;

constexpr int32_t TEXTRECBUFSIZE = 256;
constexpr int32_t TEXTRECNAMESIZE = 256;

// The line end that WRITELN_END writes: carriage return, line feed.
inline constexpr uint8_t EOL[2] = {13, 10};

// A byte of a record's buffer. It is a type of its own, which no other field
// of the record has, so that the compiler knows that a store into the buffer
// leaves the cursor and the rest unchanged; through a char or an unsigned
// char, a store might change anything.
using BUFFERBYTE = char8_t;

struct TEXTREC {
  int32_t HANDLE;  // UNUSEDHANDLE when there is none
  int32_t MODE;
  int32_t RECSIZE;  // the buffer's size
  int32_t CURSOR;   // reading: next byte to hand out; writing: bytes waiting
  int32_t FILLED;   // reading: valid bytes in the buffer
  BUFFERBYTE* BUFFERREF;
  TEXTHOOK OPENHOOK;
  TEXTHOOK TRANSFERHOOK;  // fill when reading, drain when writing
  TEXTHOOK FLUSHHOOK;     // after a line end or a write statement; none on disk files
  TEXTHOOK CLOSEHOOK;
  char NAME[TEXTRECNAMESIZE];                    // at most 255 characters and a zero byte
  alignas(8) BUFFERBYTE BUFFER[TEXTRECBUFSIZE];  // aligned: the fast paths read it in words
};
using TEXT = TEXTREC;

extern uint16_t INOUTRES;  // pending I/O result; 0 when none

extern TEXTREC INPUT;
extern TEXTREC OUTPUT;
extern TEXTREC STDOUT;
extern TEXTREC STDERR;

void ASSIGN(TEXTREC& t, const char* name);
void RESET(TEXTREC& t);
void REWRITE(TEXTREC& t);
void CLOSE(TEXTREC& t);

int32_t READ_SINT(TEXTREC& t);
uint32_t READ_UINT(TEXTREC& t);

void WRITE_STR(int32_t width, TEXTREC& t, const SHORTSTRING& s);
void WRITE_END(TEXTREC& t);

}  // namespace rt

// READ_STRING, READLN_END, WRITE_SINT and WRITELN_END.
#include "runtime/text_inline.hpp"
