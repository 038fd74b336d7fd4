#pragma once
// The script value: a tagged variant with the kinds scripts and the element
// model exchange. Element references are LongWord values holding an element
// handle (see element_handles.h); 0 is nil.
#include <cstdint>
#include <optional>
#include <utility>

#include "base/encoding.h"

namespace qel {

enum class VarKind : uint8_t {
  Empty, Integer, Byte, ShortInt, Word, LongWord, Int64, Float, DateTime, Boolean, String
};

const char* VarKindName(VarKind kind);

class Variant {
 public:
  Variant() = default;
  // Only String values carry text (str_ is empty for every other kind), so
  // copies of numbers never touch the string.
  Variant(const Variant& o) : kind_(o.kind_), int_(o.int_), float_(o.float_) {
    if (o.kind_ == VarKind::String) str_ = o.str_;
  }
  Variant(Variant&& o) noexcept : kind_(o.kind_), int_(o.int_), float_(o.float_) {
    if (o.kind_ == VarKind::String) str_ = std::move(o.str_);
  }
  Variant& operator=(const Variant& o) {
    kind_ = o.kind_;
    int_ = o.int_;
    float_ = o.float_;
    if (o.kind_ == VarKind::String) str_ = o.str_;
    else if (!str_.empty()) str_.clear();
    return *this;
  }
  Variant& operator=(Variant&& o) noexcept {
    kind_ = o.kind_;
    int_ = o.int_;
    float_ = o.float_;
    if (o.kind_ == VarKind::String) str_ = std::move(o.str_);
    else if (!str_.empty()) str_.clear();
    return *this;
  }
  static Variant Integer(int32_t v) { return Variant(VarKind::Integer, static_cast<int64_t>(v)); }
  static Variant Byte(uint8_t v) { return Variant(VarKind::Byte, static_cast<int64_t>(v)); }
  static Variant ShortInt(int8_t v) { return Variant(VarKind::ShortInt, static_cast<int64_t>(v)); }
  static Variant Word(uint16_t v) { return Variant(VarKind::Word, static_cast<int64_t>(v)); }
  static Variant LongWord(uint32_t v) { return Variant(VarKind::LongWord, static_cast<int64_t>(v)); }
  static Variant Int64(int64_t v) { return Variant(VarKind::Int64, static_cast<int64_t>(v)); }
  static Variant Float(double v) { return Variant(VarKind::Float, v); }
  static Variant DateTime(double v) { return Variant(VarKind::DateTime, v); }
  static Variant Boolean(bool v) { return Variant(VarKind::Boolean, int64_t{v ? 1 : 0}); }
  static Variant String(ByteString v);

  VarKind kind() const { return kind_; }
  bool IsEmpty() const { return kind_ == VarKind::Empty; }
  bool IsInteger() const { return kind_ >= VarKind::Integer && kind_ <= VarKind::Int64; }
  bool IsFloat() const { return kind_ == VarKind::Float || kind_ == VarKind::DateTime; }
  bool IsNumber() const { return IsInteger() || IsFloat(); }
  bool IsBoolean() const { return kind_ == VarKind::Boolean; }
  bool IsString() const { return kind_ == VarKind::String; }
  bool IsReference() const { return kind_ == VarKind::LongWord; }

  // Raw payloads; only meaningful for the matching kinds.
  int64_t int_value() const { return int_; }
  double float_value() const { return float_; }
  bool bool_value() const { return int_ != 0; }
  const ByteString& string_value() const { return str_; }
  uint32_t handle() const { return kind_ == VarKind::LongWord ? static_cast<uint32_t>(int_) : 0; }

  // Conversions of the script engine; nullopt where the value does not convert.
  std::optional<int32_t> ToInt32() const;
  std::optional<int64_t> ToInt64() const;
  std::optional<double> ToDouble() const;
  std::optional<bool> ToBoolean() const;
  ByteString ToString() const;  // every kind has a text; Empty gives ""

  // In-place setters for hot paths: no temporary, string storage kept.
  void SetInteger(int32_t v) { kind_ = VarKind::Integer; int_ = v; DropText(); }
  void SetInt64(int64_t v) { kind_ = VarKind::Int64; int_ = v; DropText(); }
  void SetBoolean(bool v) { kind_ = VarKind::Boolean; int_ = v ? 1 : 0; DropText(); }
  void SetFloat(double v) { kind_ = VarKind::Float; float_ = v; DropText(); }
  // Back to Empty, keeping the string storage.
  void Reset() { kind_ = VarKind::Empty; int_ = 0; float_ = 0; str_.clear(); }
  // Text of a String value, for in-place edits.
  ByteString& mutable_string() { return str_; }

  // Same kind and same payload.
  bool operator==(const Variant& other) const;

 private:
  // Numbers carry no text; only a value that was a String has any to drop.
  void DropText() {
    if (!str_.empty()) str_.clear();
  }
  Variant(VarKind kind, int64_t v) : kind_(kind), int_(v) {}
  Variant(VarKind kind, double v) : kind_(kind), float_(v) {}

  VarKind kind_ = VarKind::Empty;
  int64_t int_ = 0;
  double float_ = 0;
  ByteString str_;
};

// Rounds to the nearest integer, halves to even.
double RoundHalfEven(double v);

// Text of a float: shortest general form with up to 15 significant digits,
// exponent written as E, e.g. "0.1", "1.5E20", "-2E-7".
ByteString FloatToText(double v);

// Reads a whole text as an integer: optional blanks, sign, decimal digits or
// '$'/"0x" hexadecimal. nullopt when the text is anything else or out of range.
std::optional<int64_t> ParseInteger(const ByteString& text);
// Reads a whole text as a decimal float ('.' separator, optional exponent).
std::optional<double> ParseFloat(const ByteString& text);

}  // namespace qel
