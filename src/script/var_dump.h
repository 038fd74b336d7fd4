#pragma once
// The text form of an interpreter's state after a run, as the script tool
// prints it: one line per variable ("NAME = KIND VALUE") and, after an
// error, the lines "error CODE MESSAGE" and "statement STATEMENT".
#include <functional>

#include "script/scriptcalc.h"

namespace qel {

// Text for a non-nil element reference, or "" when the handle is not live.
using DescribeElement = std::function<ByteString(uint32_t handle)>;

ByteString QuoteString(const ByteString& s);
ByteString DumpVariable(const TVar& var, const DescribeElement& describe);
// Variable lines, then the error lines when there is an error.
ByteString DumpState(const TScriptCalc& calc, const DescribeElement& describe);

}  // namespace qel
