// The solver's own source, compiled once more with SORT's calls recorded.
#include "sort_trace.hpp"  // first: it defines the hook that solver.cpp uses

#include "solver.cpp"
