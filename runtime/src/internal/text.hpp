// The text-file facility's internals: the hooks, the transfers between the
// buffer and the platform, the translation of platform codes into I/O
// results, and the number syntax of the reads.
#pragma once

#include <cstdint>

#include "runtime/shortstring.hpp"
#include "runtime/text.hpp"

namespace rt {

// I/O result numbers the facility sets itself.
constexpr uint16_t IO_DISK_WRITE = 101;
constexpr uint16_t IO_NOT_OPEN = 103;
constexpr uint16_t IO_NOT_FOR_INPUT = 104;
constexpr uint16_t IO_NOT_FOR_OUTPUT = 105;
constexpr uint16_t IO_INVALID_NUMBER = 106;

// Platform codes the transfer rules know by name.
constexpr int32_t CODE_BROKEN_PIPE = 109;  // at the end of a read: the end of the data

extern int32_t ERRNO;     // platform code of the last failed platform call
extern uint8_t FILEMODE;  // how opened files are shared: 2, with nobody

// The process's standard handles, fetched at start-up.
extern int32_t STDINPUTHANDLE;
extern int32_t STDOUTPUTHANDLE;
extern int32_t STDERRORHANDLE;

// Turns the platform code in ERRNO into INOUTRES and clears ERRNO.
void ERRNO2INOUTRES();

// Token conversion by the number syntax of the reads: false when the token is
// not a number of that kind, with value 0.
bool VALSIGNEDINT(const SHORTSTRING& token, int32_t& value);
bool VALUNSIGNEDINT(const SHORTSTRING& token, uint32_t& value);

// The hooks of a record opened by name or bound to a standard handle.
void FILEOPENFUNC(TEXTREC& t);
void FILEREADFUNC(TEXTREC& t);
void FILEWRITEFUNC(TEXTREC& t);
void FILECLOSEFUNC(TEXTREC& t);

// Sets the transfer, flush and close hooks of a record just opened in MODE;
// flush_lines makes every line end reach the platform at once.
void BIND_HOOKS(TEXTREC& t, bool flush_lines);

// The transfers over the platform's native calls. A failure sets INOUTRES
// through ERRNO; the result is the count moved.
void DO_OPEN(TEXTREC& t, char* name, int32_t mode);
int32_t DO_READ(int32_t handle, uint8_t* buffer, int32_t count);
int32_t DO_WRITE(int32_t handle, const uint8_t* buffer, int32_t count);
void DO_CLOSE(int32_t handle);

// Turns every slash in a name into a backslash, in place, for a platform
// whose paths are written with backslashes.
void ALLOWSLASH(char* name);

}  // namespace rt
