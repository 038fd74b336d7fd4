#include "script/var_dump.h"

#include <cstdio>

namespace qel {

ByteString QuoteString(const ByteString& s) {
  ByteString out = "\"";
  for (unsigned char c : s) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c > 0x7E) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

ByteString DumpVariable(const TVar& var, const DescribeElement& describe) {
  const Variant& v = var.Value;
  ByteString line = var.Name + " = " + VarKindName(v.kind());
  char buf[64];
  switch (v.kind()) {
    case VarKind::Empty: return line;
    case VarKind::Float: case VarKind::DateTime:
      std::snprintf(buf, sizeof buf, "%.17g", v.float_value());
      return line + " " + buf;
    case VarKind::Boolean: return line + (v.bool_value() ? " True" : " False");
    case VarKind::String: return line + " " + QuoteString(v.string_value());
    case VarKind::LongWord: {
      uint32_t h = v.handle();
      if (h == 0) return line + " nil";
      ByteString d = describe ? describe(h) : ByteString();
      return line + " " + (d.empty() ? std::to_string(h) : d);
    }
    default: return line + " " + std::to_string(v.int_value());
  }
}

ByteString DumpState(const TScriptCalc& calc, const DescribeElement& describe) {
  ByteString out;
  for (const TVar& var : calc.Variables()) out += DumpVariable(var, describe) + "\n";
  if (calc.ErrorCode() != 0) {
    out += "error " + std::to_string(calc.ErrorCode()) + " " + calc.ErrorMessage() + "\n";
    out += "statement " + calc.ErrorStatement() + "\n";
  }
  return out;
}

}  // namespace qel
