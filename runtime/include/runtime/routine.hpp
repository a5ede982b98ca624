// The mark of a routine that a run-time error report must list: it stays a
// real call with a frame record of its own. GCC is told to keep it out of
// every interprocedural change (inlining, cloning, analysis across calls);
// clang, which has no such attribute, never inlines it and makes no other
// such change to a routine that other units can call.
#pragma once

#if defined(__clang__)
#define RT_ROUTINE [[gnu::noinline]]
#else
#define RT_ROUTINE [[gnu::noipa]]
#endif
