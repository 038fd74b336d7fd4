#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/byte_stream.h"
#include "elements/class_table.h"
#include "elements/game_file.h"
#include "elements/game_text.h"

namespace qel {
namespace {

std::string Hex(uint64_t v, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "$%0*llX", digits, static_cast<unsigned long long>(v));
  return buf;
}

bool IsColourName(const ByteString& name) {
  return name.find("Color") != ByteString::npos;
}

std::string OrdinalText(const PropertyInfo& p, int32_t v) {
  if (p.type == PropType::Boolean && (v == 0 || v == 1)) return v ? "True" : "False";
  if (p.type == PropType::Enum && p.enumNames && v >= 0 && v < static_cast<int32_t>(p.enumNames->size()))
    return (*p.enumNames)[v];
  if (p.type == PropType::Cardinal && IsColourName(p.name)) return Hex(static_cast<uint32_t>(v), 6);
  if (p.type == PropType::Cardinal) return std::to_string(static_cast<uint32_t>(v));
  return std::to_string(v);
}

std::string FloatText(double v) {
  if (!std::isfinite(v)) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return "bits:" + Hex(bits, 16);
  }
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, res.ptr);
  // Keep a float looking like one, so that a reader sees the type.
  if (s.find_first_of(".en") == std::string::npos) s += ".0";
  return s;
}

// A script with CRLF (or only LF) line breaks and no other control bytes is
// written as a block of raw lines, so that authors can edit it as it is.
bool BlockEligible(std::string_view s, const char*& marker) {
  size_t crlf = 0, lf = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c == '\n') {
      (i > 0 && s[i - 1] == '\r') ? ++crlf : ++lf;
    } else if (c == '\r') {
      if (i + 1 >= s.size() || s[i + 1] != '\n') return false;
    } else if ((c < 0x20 && c != '\t') || c == 0x7F || c == 0x98) {
      return false;
    }
  }
  if (crlf + lf == 0 || (crlf && lf)) return false;
  std::string_view sep = crlf ? "\r\n" : "\n";
  for (size_t start = 0;;) {
    size_t end = s.find(sep, start);
    std::string_view line = s.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (line == ">>>") return false;
    if (end == std::string_view::npos) break;
    start = end + sep.size();
  }
  marker = crlf ? "<<<" : "<<<LF";
  return true;
}

std::string BlockText(std::string_view s, const char* marker) {
  std::string out = std::string(marker) + "\n";
  std::string utf8 = Cp1251ToUtf8(ByteString(s));
  for (char c : utf8)
    if (c != '\r') out += c;
  return out + "\n>>>";
}

class Dumper {
 public:
  Dumper(std::string_view file, std::string& out, std::vector<TextProblem>& problems)
      : file_(file), out_(out), problems_(problems) {}

  bool Run() {
    const ElementClass* root = ElementClassTable::Standard().Find("TQelDB");
    Record(file_, root, 0, "");
    return problems_.empty();
  }

 private:
  void Problem(std::string_view record, size_t pos, const std::string& path, std::string message) {
    problems_.push_back({static_cast<size_t>(record.data() - file_.data()) + pos, path, std::move(message)});
  }

  void Line(int depth, const std::string& text) { out_ += std::string(2 * depth, ' ') + text + "\n"; }

  // A record of a class without a schema: kept whole, as bytes.
  void Raw(std::string_view record, int depth) {
    std::string hex = "raw $";
    for (unsigned char c : record) {
      char b[3];
      std::snprintf(b, sizeof b, "%02X", c);
      hex += b;
    }
    Line(depth, hex);
  }

  void Record(std::string_view record, const ElementClass* cls, int depth, const std::string& parentPath) {
    ByteReader r(record);
    std::string_view className;
    int32_t stored = 0;
    if (!r.ReadString(className) || !r.ReadInt32(stored)) {
      Problem(record, r.pos(), parentPath, "record too short for its header");
      return;
    }
    int count = UsableValueCount(stored, cls->properties.size());
    std::string path = parentPath.empty() ? Cp1251ToUtf8(ByteString(className)) : parentPath;
    if (count < 0) {
      Problem(record, 4 + className.size(), path, "value count " + std::to_string(stored) + " does not fit class " +
                                                      cls->className);
      return;
    }
    std::string shownClass = Cp1251ToUtf8(ByteString(className));
    if (parentPath.empty() && !PacksBackAsLine(className)) {
      // The reader never looks at the root's class name; the text needs one it can read back.
      Problem(record, 4, path, "the root's class name cannot be written as a line of text; written as TQelDB");
      shownClass = "TQelDB";
    }
    Line(depth, shownClass + " {");
    for (int i = 0; i < count; ++i) {
      const PropertyInfo& p = cls->properties[i];
      std::string value;
      if (!Value(p, r, value)) {
        Problem(record, r.pos(), path, "record ends inside the value of " + p.name);
        Line(depth, "}");
        return;
      }
      if (i == 1 && p.upperName == "ID" && value.size() > 2) path = parentPath.empty() ? path : parentPath + "." + value.substr(1, value.size() - 2);
      Line(depth + 1, p.name + " = " + value);
    }
    if (!r.AtEnd() && depth + 1 >= kMaxTreeDepth) {
      // The reader keeps no deeper record; the text would grow with the square of the depth.
      Problem(record, r.pos(), path, "child records nested deeper than " + std::to_string(kMaxTreeDepth) + " levels");
      Line(depth, "}");
      return;
    }
    while (!r.AtEnd()) {
      std::string_view child;
      size_t at = r.pos();
      if (!r.ReadString(child)) {
        Problem(record, at, path, "child record runs past the end of its parent");
        break;
      }
      const ElementClass* childCls = ElementClassTable::Standard().Find(ByteString(ChildClassNameOf(child)));
      if (!childCls || !childCls->create)
        Raw(child, depth + 1);
      else
        Record(child, childCls, depth + 1, path);
    }
    Line(depth, "}");
  }

  // Whether "NAME {" reads back as NAME: one line, nothing the packer trims or skips.
  static bool PacksBackAsLine(std::string_view name) {
    if (name.empty() || name[0] == '#' || name.find('\n') != std::string_view::npos) return false;
    auto trimmed = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    if (trimmed(name.front()) || trimmed(name.back())) return false;
    ByteString bytes(name);
    return Utf8ToCp1251(Cp1251ToUtf8(bytes)) == bytes;
  }

  static std::string_view ChildClassNameOf(std::string_view child) {
    if (child.size() < 4) return {};
    size_t len = static_cast<unsigned char>(child[0]);
    if (4 + len > child.size()) return {};
    // Only a record whose own name string agrees can be written as text.
    int32_t full = 0;
    ByteReader r(child);
    if (!r.ReadInt32(full) || full != static_cast<int32_t>(len)) return {};
    return child.substr(4, len);
  }

  bool Value(const PropertyInfo& p, ByteReader& r, std::string& value) {
    if (p.IsOrdinal()) {
      int32_t v;
      if (!r.ReadInt32(v)) return false;
      value = OrdinalText(p, v);
    } else if (p.IsFloat()) {
      double v;
      if (!r.ReadDouble(v)) return false;
      value = FloatText(v);
    } else {
      std::string_view s;
      if (!r.ReadString(s)) return false;
      const char* marker = nullptr;
      value = p.upperName.compare(0, 2, "EX") == 0 && BlockEligible(s, marker) ? BlockText(s, marker) : QuoteText(s);
    }
    return true;
  }

  std::string_view file_;
  std::string& out_;
  std::vector<TextProblem>& problems_;
};

}  // namespace

std::string QuoteText(std::string_view bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F || c == 0x98) {
      char b[5];
      std::snprintf(b, sizeof b, "\\x%02X", c);
      out += b;
    } else {
      AppendUtf8(out, Cp1251ToCodePoint(c));
    }
  }
  return out + "\"";
}

bool DumpGame(std::string_view file, std::string& text, std::vector<TextProblem>& problems) {
  return Dumper(file, text, problems).Run();
}

}  // namespace qel
