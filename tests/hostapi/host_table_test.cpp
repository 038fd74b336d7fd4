#include <gtest/gtest.h>

#include <vector>

#include "hostapi/date_time.h"
#include "hostapi/host_table.h"
#include "hostapi/stdlib_error.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

// Only the unicode switch matters to the library; nothing resolves.
class UnicodeEnv : public ScriptEnv {
 public:
  bool unicode = true;
  PathRead ResolvePath(const ByteString&, const TVarList&, Variant&) override { return PathRead::Failed; }
  bool AssignPath(const ByteString&, const Variant&, const TVarList&) override { return false; }
  ByteString Place() const override { return {}; }
  ByteString EventName() const override { return {}; }
  bool SaveErr() const override { return false; }
  bool UnicodeMode() const override { return unicode; }
  ByteString GetLangText(const ByteString&) const override { return {}; }
};

TVar Value(Variant v) { return {"VALUE", std::move(v)}; }
TVar Var(Variant v) { return {"VAR", std::move(v)}; }
TVar Value(int32_t v) { return Value(Variant::Integer(v)); }
TVar Value(double v) { return Value(Variant::Float(v)); }
TVar Value(const char* v) { return Value(Variant::String(v)); }

class HostTable : public ::testing::Test {
 protected:
  // Tuesday, 5 March 2024, 14:07:09.045
  FixedClock clock{EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45)};
  LocaleSettings locale;
  TScriptCalc calc;

  void SetUp() override { RegisterHostFunctions(calc, HostServices{&clock, &locale}); }

  // Calls a registered function as the engine would; params keep what the
  // function wrote into them.
  bool Call(const char* name, TVarList& params, TVar& result) {
    const TFunc* f = calc.Functions().Find(UpperAscii(name));
    if (!f) ADD_FAILURE() << "not registered: " << name;
    return f && f->Func(calc, params, result);
  }
  bool Call(const char* name, std::vector<TVar> args, TVar& result) {
    TVarList params;
    for (TVar& a : args) params.Append(std::move(a));
    return Call(name, params, result);
  }
  // The result of a call that must succeed.
  Variant Result(const char* name, std::vector<TVar> args) {
    TVar result;
    EXPECT_TRUE(Call(name, std::move(args), result)) << name;
    return result.Value;
  }
  bool Fails(const char* name, std::vector<TVar> args) {
    TVar result;
    return !Call(name, std::move(args), result);
  }
};

TEST_F(HostTable, RowsInTableOrder) {
  // The whole general table, in order.
  const std::vector<ByteString> table = {
      "VAL", "CHAR", "INTTOSTR", "STRTOINT", "FLOATTOSTR", "STRTOFLOAT", "COPY", "POSS", "LENGTH", "DELLASTCHAR",
      "INSERT", "DELETE", "TRIM", "TRIMLEFT", "TRIMRIGHT", "UPPERCASE", "LOWERCASE", "FORMAT", "NOW", "DATE",
      "TIME", "DATETOSTR", "STRTODATE", "TIMETOSTR", "STRTOTIME", "FORMATDATETIME", "DAYOFWEEK", "INCMONTH",
      "DECODEDATE", "DECODETIME", "ENCODEDATE", "ENCODETIME", "ABS", "INT", "FRAC", "ROUND", "CEIL", "FLOOR",
      "TRUNC", "SIN", "SIGN", "COS", "TAN", "ARCSIN", "ARCCOS", "ARCTAN", "EXP", "LN", "INTPOWER", "SQR", "SQRT",
      "INC", "DEC", "MIN", "MAX", "GETVAR", "SETVAR", "DECODE", "YEARDAYS", "YEARFRAC", "MOD", "LISTADD",
      "LISTDEL", "ANIMSTART", "ANIMSTOP", "ANIMBREAK", "ANIMPLAY", "UPDATE", "PROCESS", "MSDOWN", "MSMOVE", "INIT",
      "SHOW", "SETFOCUS", "SETSCREEN", "FASTSETSCREEN", "FASTSETSCREENNS", "RANDOM", "GETALPHA", "GETPIXEL",
      "MOVETO", "PROCEF", "GETTEXT", "LOADIM", "ENDLOADIM", "SAVESTATE", "LOADSTATE", "TIMERRESET", "GETINI",
      "SETINI", "DELFILE", "TOFRONT", "PLAYSND", "PLAYMUZ", "STOPMUZ", "EXITGAME", "ADDSTAR", "IMSTARSR"};
  ASSERT_EQ(calc.Functions().Count(), static_cast<int>(table.size()));
  for (int i = 0; i < calc.Functions().Count(); ++i) EXPECT_EQ(calc.Functions()[i].Name, table[i]) << i;
  const int count = calc.Functions().Count();
  // Registering again replaces the rows instead of adding names.
  RegisterHostFunctions(calc, HostServices{&clock, &locale});
  EXPECT_EQ(calc.Functions().Count(), count);
}

TEST_F(HostTable, WrongArgumentCountsFail) {
  EXPECT_TRUE(Fails("Copy", {Value("abc"), Value(1)}));
  EXPECT_TRUE(Fails("Length", {}));
  EXPECT_TRUE(Fails("Now", {Value(1)}));
  EXPECT_TRUE(Fails("Format", {Value("%d")}));
  EXPECT_TRUE(Fails("Inc", {}));
  EXPECT_TRUE(Fails("Inc", {Var(Variant::Integer(1)), Value(1), Value(1)}));
  EXPECT_TRUE(Fails("Min", {}));
  EXPECT_TRUE(Fails("Decode", {Value(1), Value(1)}));
  EXPECT_TRUE(Fails("GetVar", {}));
  EXPECT_TRUE(Fails("SetVar", {Value("X")}));
  EXPECT_TRUE(Fails("YearFrac", {Value(1.0)}));
  EXPECT_TRUE(Fails("EncodeTime", {Value(1), Value(2), Value(3)}));
}

TEST_F(HostTable, VarArgumentsAreRequiredAndWrittenBack) {
  EXPECT_TRUE(Fails("Insert", {Value("X"), Value("ABC"), Value(2)}));
  EXPECT_TRUE(Fails("Delete", {Value("ABC"), Value(1), Value(1)}));
  EXPECT_TRUE(Fails("Val", {Value("1"), Var(Variant()), Value(0)}));
  EXPECT_TRUE(Fails("DecodeDate", {Value(1.0), Var(Variant()), Var(Variant()), Value(0)}));
  EXPECT_TRUE(Fails("DecodeTime", {Value(1.0), Var(Variant()), Var(Variant()), Var(Variant()), Value(0)}));

  TVarList p;
  TVar r;
  p.Append(Value("XY"));
  p.Append(Var(Variant::String("ABCDEF")));
  p.Append(Value(3));
  ASSERT_TRUE(Call("Insert", p, r));
  EXPECT_EQ(p[1].Value, Variant::String("ABXYCDEF"));
  EXPECT_EQ(r.Value, Variant::String("ABXYCDEF"));

  TVarList d;
  d.Append(Var(Variant::String("ABCDEF")));
  d.Append(Value(2));
  d.Append(Value(3));
  ASSERT_TRUE(Call("Delete", d, r));
  EXPECT_EQ(d[0].Value, Variant::String("AEF"));

  TVarList v;
  TVar none;
  v.Append(Value("1.5x"));
  v.Append(Var(Variant()));
  v.Append(Var(Variant()));
  ASSERT_TRUE(Call("Val", v, none));
  EXPECT_EQ(v[2].Value, Variant::Integer(4));
  EXPECT_TRUE(none.Value.IsEmpty());
}

TEST_F(HostTable, StringRowsConvertTheirArguments) {
  EXPECT_EQ(Result("Copy", {Value("ABCDEF"), Value(2.9), Value(3.9)}), Variant::String("BCD"));
  EXPECT_EQ(Result("Copy", {Value(12345), Value(2), Value(2)}), Variant::String("23"));
  EXPECT_EQ(Result("Poss", {Value("CD"), Value("ABCDCD")}), Variant::Integer(3));
  EXPECT_EQ(Result("Char", {Value(65.4)}), Variant::String("A"));
  EXPECT_EQ(Result("IntToStr", {Value(-7)}), Variant::String("-7"));
  EXPECT_EQ(Result("StrToInt", {Value("12a")}), Variant::Integer(0));
  EXPECT_EQ(Result("FloatToStr", {Value(1.0 / 3)}), Variant::String("0.333333333333333"));
  EXPECT_EQ(Result("StrToFloat", {Value(" 2.5 ")}), Variant::Float(2.5));
  EXPECT_TRUE(Fails("StrToFloat", {Value("1,5")}));
  EXPECT_EQ(Result("UpperCase", {Value("\xE0\xE1z")}), Variant::String("\xC0\xC1Z"));
  EXPECT_EQ(Result("Trim", {Value("  a ")}), Variant::String("a"));
  EXPECT_EQ(Result("Format", {Value("%d items"), Value(3)}), Variant::String("3 items"));
  EXPECT_EQ(Result("Format", {Value("%d"), Value(2.7)}), Variant::String("2"));
  EXPECT_EQ(Result("Format", {Value("%s%s"), Value("A")}), Variant::String("A"));
  EXPECT_THROW(Result("IntToStr", {Value("x")}), StdlibError);
}

TEST_F(HostTable, LengthFollowsTheUnicodeSwitch) {
  const ByteString escaped("\x01\x10\x04", 3);
  EXPECT_EQ(Result("Length", {Value(Variant::String(escaped))}), Variant::Integer(3));
  UnicodeEnv env;
  calc.SetEnv(&env);
  EXPECT_EQ(Result("Length", {Value(Variant::String(escaped))}), Variant::Integer(1));
  EXPECT_EQ(Result("DelLastChar", {Value(Variant::String("a" + escaped))}), Variant::String("a"));
  calc.SetEnv(nullptr);
}

TEST_F(HostTable, NumberRowsKindsAndErrors) {
  EXPECT_EQ(Result("Abs", {Value(-3)}), Variant::Float(3));
  EXPECT_EQ(Result("Int", {Value(-3.7)}), Variant::Int64(-3));
  EXPECT_EQ(Result("Round", {Value(-2.5)}), Variant::Integer(-2));
  EXPECT_EQ(Result("Trunc", {Value(-2.7)}), Variant::Integer(-2));
  EXPECT_EQ(Result("Floor", {Value(-2.1)}), Variant::Integer(-3));
  EXPECT_EQ(Result("Sign", {Value(0.4)}), Variant::ShortInt(0));
  EXPECT_EQ(Result("Sign", {Value(-9)}), Variant::ShortInt(-1));
  EXPECT_EQ(Result("Sqr", {Value(3)}), Variant::Float(9));
  EXPECT_EQ(Result("IntPower", {Value(2), Value(10.9)}), Variant::Float(1024));
  EXPECT_EQ(Result("Mod", {Value(-7), Value(3)}), Variant::Integer(-1));
  try {
    Result("Mod", {Value(7), Value(0)});
    ADD_FAILURE() << "Mod by zero succeeded";
  } catch (const StdlibError& e) {
    EXPECT_STREQ(e.what(), "Division by zero");
  }
  EXPECT_THROW(Result("Ln", {Value(0)}), StdlibError);
  EXPECT_THROW(Result("Sqrt", {Value(-1)}), StdlibError);
  EXPECT_THROW(Result("ArcSin", {Value(2)}), StdlibError);
}

TEST_F(HostTable, RandomDrawsFromTheInterpretersSeed) {
  calc.RandSeed() = 0;
  EXPECT_EQ(Result("Random", {Value(100)}), Variant::Integer(0));
  EXPECT_EQ(Result("Random", {Value(100)}), Variant::Integer(3));
  EXPECT_EQ(Result("Random", {Value(100)}), Variant::Integer(86));
  EXPECT_THROW(Result("Random", {Value(0)}), StdlibError);
  EXPECT_THROW(Result("Random", {Value(-5)}), StdlibError);
}

TEST_F(HostTable, MinMaxKeepTheFirstOfEqualsAndRefuseMixedKinds) {
  EXPECT_EQ(Result("Max", {Value(1), Value(5), Value(3)}), Variant::Integer(5));
  EXPECT_EQ(Result("Min", {Value("b"), Value("a")}), Variant::String("a"));
  EXPECT_EQ(Result("Min", {Value(2.5)}), Variant::Float(2.5));
  EXPECT_TRUE(Fails("Max", {Value(1), Value(2.5)}));
  EXPECT_TRUE(Fails("Min", {Value(1), Value(Variant::Byte(0))}));
}

TEST_F(HostTable, IncDecAddThroughTheFirstArgument) {
  TVarList p;
  TVar none;
  p.Append(Var(Variant::Integer(5)));
  ASSERT_TRUE(Call("Inc", p, none));
  EXPECT_EQ(p[0].Value, Variant::Integer(6));
  p.Append(Value(2.5));
  ASSERT_TRUE(Call("Dec", p, none));
  EXPECT_EQ(p[0].Value, Variant::Float(3.5));
  EXPECT_TRUE(none.Value.IsEmpty());
  // A plain value is accepted; the engine just does not copy it back.
  EXPECT_TRUE(Result("Inc", {Value(1)}).IsEmpty());
}

TEST_F(HostTable, DecodeChoosesByValue) {
  EXPECT_EQ(Result("Decode", {Value(2), Value(1), Value("a"), Value(2), Value("b")}), Variant::String("b"));
  EXPECT_TRUE(Fails("Decode", {Value(3), Value(1), Value("a"), Value(2), Value("b")}));
  EXPECT_EQ(Result("Decode", {Value(3), Value(1), Value("a"), Value("z")}), Variant::String("z"));
  EXPECT_EQ(Result("Decode", {Value(1), Value(1.0), Value("x"), Value("d")}), Variant::String("x"));
  EXPECT_TRUE(Fails("Decode", {Value(5), Value(1), Value("a")}));
}

TEST_F(HostTable, GetVarAndSetVarByComputedName) {
  ASSERT_TRUE(calc.StoreVariable({"SCORE", Variant::Integer(5)}));
  ASSERT_TRUE(calc.StoreVariable({"\xC8\xCC\xDF", Variant::Integer(8)}));  // Cyrillic upper case
  EXPECT_EQ(Result("GetVar", {Value("score")}), Variant::Integer(5));
  EXPECT_EQ(Result("GetVar", {Value("\xE8\xEC\xFF")}), Variant::Integer(8));
  EXPECT_EQ(Result("GetVar", {Value("NoSuchName")}), Variant::LongWord(0));
  EXPECT_TRUE(Result("SetVar", {Value("Score"), Value(7)}).IsEmpty());
  EXPECT_EQ(Result("GetVar", {Value("SCORE")}), Variant::Integer(7));
  EXPECT_TRUE(Fails("SetVar", {Value("NoSuchName"), Value(1)}));
  EXPECT_EQ(calc.IndexOfVariable("NOSUCHNAME"), -1);
}

TEST_F(HostTable, DateRowsReadTheInjectedClock) {
  const double now = clock.Now();
  EXPECT_EQ(Result("Now", {}), Variant::DateTime(now));
  EXPECT_EQ(Result("Date", {}), Variant::DateTime(EncodeDate(2024, 3, 5)));
  EXPECT_EQ(Result("Time", {}), Variant::DateTime(EncodeTime(14, 7, 9, 45)));
  EXPECT_EQ(Result("StrToDate", {Value("6.3")}), Variant::DateTime(EncodeDate(2024, 3, 6)));
  EXPECT_EQ(Result("DateToStr", {Value(now)}), Variant::String("05.03.2024"));
  EXPECT_EQ(Result("TimeToStr", {Value(now)}), Variant::String("14:07:09"));
  EXPECT_EQ(Result("FormatDateTime", {Value("dddd h:nn am/pm"), Value(now)}), Variant::String("Tuesday 2:07 pm"));
  EXPECT_EQ(Result("DayOfWeek", {Value(now)}), Variant::Word(3));
  EXPECT_EQ(Result("IncMonth", {Value(EncodeDate(2024, 1, 31)), Value(1.9)}),
            Variant::DateTime(EncodeDate(2024, 2, 29)));
  EXPECT_EQ(Result("EncodeDate", {Value(2024), Value(3.7), Value(5)}), Variant::DateTime(EncodeDate(2024, 3, 5)));
  EXPECT_THROW(Result("EncodeDate", {Value(2023), Value(2), Value(29)}), StdlibError);
  EXPECT_THROW(Result("StrToTime", {Value("25:00")}), StdlibError);
  EXPECT_EQ(Result("YearDays", {Value(now)}), Variant::Word(366));
  EXPECT_EQ(Result("YearFrac", {Value(EncodeDate(2021, 7, 1)), Value(EncodeDate(2022, 7, 1))}), Variant::Float(1));
}

TEST_F(HostTable, DecodeDateAndTimeWriteWords) {
  TVarList p;
  TVar r;
  p.Append(Value(Variant::DateTime(clock.Now())));
  for (int i = 0; i < 3; ++i) p.Append(Var(Variant()));
  ASSERT_TRUE(Call("DecodeDate", p, r));
  EXPECT_EQ(p[1].Value, Variant::Word(2024));
  EXPECT_EQ(p[2].Value, Variant::Word(3));
  EXPECT_EQ(p[3].Value, Variant::Word(5));
  EXPECT_EQ(r.Value, Variant::DateTime(clock.Now()));
  p.Append(Var(Variant()));
  ASSERT_TRUE(Call("DecodeTime", p, r));
  EXPECT_EQ(p[1].Value, Variant::Word(14));
  EXPECT_EQ(p[2].Value, Variant::Word(7));
  EXPECT_EQ(p[3].Value, Variant::Word(9));
  EXPECT_EQ(p[4].Value, Variant::Word(45));
}

}  // namespace
}  // namespace qel
