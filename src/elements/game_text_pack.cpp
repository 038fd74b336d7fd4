#include <charconv>
#include <cstring>

#include "base/byte_stream.h"
#include "elements/class_table.h"
#include "elements/game_file.h"
#include "elements/game_text.h"

namespace qel {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool ParseHex(std::string_view s, uint64_t& out) {
  if (s.empty() || s.size() > 16) return false;
  auto res = std::from_chars(s.data(), s.data() + s.size(), out, 16);
  return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

struct OpenRecord {
  const ElementClass* cls;
  ByteString className;
  ByteString values;
  ByteString children;
  int count = 0;
};

class Packer {
 public:
  Packer(std::string_view text, ByteString& out, std::vector<TextProblem>& problems)
      : text_(text), out_(out), problems_(problems) {}

  bool Run() {
    while (NextLine()) {
      std::string_view line = Trim(line_);
      if (line.empty() || line[0] == '#') continue;
      if (!Statement(line)) return false;
    }
    if (!stack_.empty()) return Fail("the record " + stack_.back().className + " is not closed");
    if (!done_) return Fail("no record found");
    return true;
  }

 private:
  bool NextLine() {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line_ = text_.substr(pos_, end - pos_);
    if (!line_.empty() && line_.back() == '\r') line_.remove_suffix(1);
    pos_ = end + 1;
    ++lineNo_;
    return true;
  }

  bool Fail(std::string message) {
    problems_.push_back({lineNo_, stack_.empty() ? "" : stack_.back().className, std::move(message)});
    return false;
  }

  bool Statement(std::string_view line) {
    if (done_) return Fail("text after the root record");
    if (line == "}") return Close();
    if (line.size() > 2 && line.substr(line.size() - 2) == " {") return Open(Trim(line.substr(0, line.size() - 2)));
    if (line.substr(0, 4) == "raw ") return Raw(Trim(line.substr(4)));
    size_t eq = line.find(" = ");
    if (eq == std::string_view::npos) return Fail("expected NAME = VALUE, CLASS {, raw $HEX or }");
    return Property(Trim(line.substr(0, eq)), Trim(line.substr(eq + 3)));
  }

  bool Open(std::string_view className) {
    ByteString name = Utf8ToCp1251(std::string(className));
    const ElementClass* cls =
        stack_.empty() ? ElementClassTable::Standard().Find("TQelDB") : ElementClassTable::Standard().Find(name);
    if (!cls || (!stack_.empty() && !cls->create)) return Fail("unknown element class " + std::string(className));
    if (stack_.size() >= static_cast<size_t>(kMaxTreeDepth))
      return Fail("records nested deeper than " + std::to_string(kMaxTreeDepth) + " levels");
    stack_.push_back({cls, name, {}, {}, 0});
    return true;
  }

  bool Close() {
    if (stack_.empty()) return Fail("} without an open record");
    OpenRecord rec = std::move(stack_.back());
    stack_.pop_back();
    ByteString bytes;
    ByteWriter w(bytes);
    w.WriteString(rec.className);
    w.WriteInt32(rec.count);
    bytes += rec.values;
    bytes += rec.children;
    if (stack_.empty()) {
      out_ = std::move(bytes);
      done_ = true;
    } else {
      ByteWriter(stack_.back().children).WriteString(bytes);
    }
    return true;
  }

  bool Raw(std::string_view hex) {
    if (stack_.empty()) return Fail("raw record outside a record");
    if (stack_.size() >= static_cast<size_t>(kMaxTreeDepth))
      return Fail("records nested deeper than " + std::to_string(kMaxTreeDepth) + " levels");
    if (hex.empty() || hex[0] != '$' || hex.size() % 2 == 0) return Fail("raw record needs $ and pairs of hex digits");
    ByteString bytes;
    for (size_t i = 1; i < hex.size(); i += 2) {
      uint64_t b;
      if (!ParseHex(hex.substr(i, 2), b)) return Fail("bad hex digits in raw record");
      bytes += static_cast<char>(b);
    }
    ByteWriter(stack_.back().children).WriteString(bytes);
    return true;
  }

  bool Property(std::string_view name, std::string_view value) {
    if (stack_.empty()) return Fail("property outside a record");
    OpenRecord& rec = stack_.back();
    if (!rec.children.empty()) return Fail("properties must come before the children");
    const auto& props = rec.cls->properties;
    if (rec.count >= static_cast<int>(props.size()))
      return Fail("class " + rec.cls->className + " has no more properties than " + std::to_string(props.size()));
    const PropertyInfo& p = props[rec.count];
    if (!SameTextAscii(ByteString(name), p.name))
      return Fail("expected property " + p.name + " here (values are stored in order), found " + std::string(name));
    ByteWriter w(rec.values);
    bool ok = p.IsOrdinal() ? Ordinal(p, value, w) : p.IsFloat() ? Float(value, w) : String(value, w);
    if (!ok) return false;
    ++rec.count;
    return true;
  }

  bool Ordinal(const PropertyInfo& p, std::string_view v, ByteWriter& w) {
    if (v == "True" || v == "False") {
      w.WriteInt32(v == "True" ? 1 : 0);
      return true;
    }
    if (p.enumNames)
      for (size_t i = 0; i < p.enumNames->size(); ++i)
        if (v == (*p.enumNames)[i]) {
          w.WriteInt32(static_cast<int32_t>(i));
          return true;
        }
    int64_t n = 0;
    if (!v.empty() && v[0] == '$') {
      uint64_t u;
      if (!ParseHex(v.substr(1), u) || u > 0xFFFFFFFFu) return Fail("bad hexadecimal value " + std::string(v));
      n = static_cast<int32_t>(static_cast<uint32_t>(u));
    } else {
      auto res = std::from_chars(v.data(), v.data() + v.size(), n);
      if (res.ec != std::errc() || res.ptr != v.data() + v.size() || n < INT32_MIN || n > 0xFFFFFFFFLL)
        return Fail("bad integer value " + std::string(v) + " for " + p.name);
    }
    w.WriteInt32(static_cast<int32_t>(static_cast<uint32_t>(n)));
    return true;
  }

  bool Float(std::string_view v, ByteWriter& w) {
    double d = 0;
    if (v.substr(0, 5) == "bits:") {
      uint64_t bits;
      if (v.size() < 7 || v[5] != '$' || !ParseHex(v.substr(6), bits)) return Fail("bad float bits " + std::string(v));
      std::memcpy(&d, &bits, 8);
    } else {
      auto res = std::from_chars(v.data(), v.data() + v.size(), d);
      if (res.ec != std::errc() || res.ptr != v.data() + v.size()) return Fail("bad float value " + std::string(v));
    }
    w.WriteDouble(d);
    return true;
  }

  bool String(std::string_view v, ByteWriter& w) {
    ByteString bytes;
    if (v == "<<<" || v == "<<<LF") {
      if (!Block(v == "<<<" ? "\r\n" : "\n", bytes)) return false;
    } else if (!Quoted(v, bytes)) {
      return false;
    }
    w.WriteString(bytes);
    return true;
  }

  bool Block(const char* separator, ByteString& bytes) {
    size_t start = lineNo_;
    bool first = true;
    std::string utf8;
    while (NextLine()) {
      if (line_ == ">>>") return ToCp1251(utf8, bytes);
      if (!first) utf8 += separator;
      utf8 += line_;
      first = false;
    }
    lineNo_ = start;
    return Fail("script block is not closed with >>>");
  }

  bool Quoted(std::string_view v, ByteString& bytes) {
    if (v.size() < 2 || v.front() != '"' || v.back() != '"') return Fail("expected a quoted string");
    std::string utf8;
    for (size_t i = 1; i + 1 < v.size(); ++i) {
      char c = v[i];
      if (c == '"') return Fail("unescaped quote inside a string");
      if (c != '\\') {
        utf8 += c;
        continue;
      }
      if (++i + 1 >= v.size()) return Fail("string ends inside an escape");
      switch (v[i]) {
        case 'n': utf8 += '\n'; break;
        case 'r': utf8 += '\r'; break;
        case 't': utf8 += '\t'; break;
        case '\\': utf8 += '\\'; break;
        case '"': utf8 += '"'; break;
        case 'x': {
          uint64_t b;
          if (i + 3 > v.size() - 1 || !ParseHex(v.substr(i + 1, 2), b)) return Fail("bad \\x escape");
          // A raw byte: kept apart from the UTF-8 text until conversion.
          if (!ToCp1251(utf8, bytes)) return false;
          utf8.clear();
          bytes += static_cast<char>(b);
          i += 2;
          break;
        }
        default: return Fail(std::string("unknown escape \\") + v[i]);
      }
    }
    return ToCp1251(utf8, bytes);
  }

  bool ToCp1251(const std::string& utf8, ByteString& bytes) {
    for (size_t pos = 0; pos < utf8.size();) {
      char32_t cp = DecodeUtf8(utf8, pos);
      int b = CodePointToCp1251(cp);
      if (b < 0) return Fail("character U+" + std::to_string(cp) + " has no 8-bit form; write it as \\xHH");
      bytes += static_cast<char>(b);
    }
    return true;
  }

  std::string_view text_;
  ByteString& out_;
  std::vector<TextProblem>& problems_;
  std::vector<OpenRecord> stack_;
  std::string_view line_;
  size_t pos_ = 0;
  size_t lineNo_ = 0;
  bool done_ = false;
};

}  // namespace

bool PackGame(std::string_view text, ByteString& file, std::vector<TextProblem>& problems) {
  return Packer(text, file, problems).Run();
}

}  // namespace qel
