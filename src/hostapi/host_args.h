#pragma once
// Small helpers shared by the host-function adapters.
#include "base/var_list.h"
#include "hostapi/number_args.h"

namespace qel {

// The argument was written as the name of one of the caller's variables,
// so a value stored into it reaches the script.
inline bool IsVarArg(const TVar& arg) { return arg.Name == "VAR"; }

inline ByteString TextArg(const TVar& arg) { return arg.Value.ToString(); }

// The argument as text without copying it when it already is a String;
// other kinds are converted into scratch.
inline const ByteString& TextRef(const TVar& arg, ByteString& scratch) {
  if (arg.Value.IsString()) return arg.Value.string_value();
  scratch = arg.Value.ToString();
  return scratch;
}

}  // namespace qel
