#pragma once
// Small scenes for the puzzle routines: a game with one screen, elements
// made by class and Id, element variables, language texts from a map, and
// outlets that record the sounds, stars and triangles a routine makes.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "hostapi/host_table.h"
#include "hostapi/puzzle_outlets.h"
#include "hostapi/random.h"
#include "script/interpreter_pool.h"

namespace qel::test {

class TextDB : public TQelDB {
 public:
  using TQelDB::TQelDB;
  ByteString GetLangText(const ByteString& key) override {
    auto it = texts.find(key);
    return it == texts.end() ? ByteString() : it->second;
  }
  std::map<ByteString, ByteString> texts;
};

struct Triangle {
  uint32_t argb, effect;
  double x1, y1, x2, y2, x3, y3;
};

class RecordingOutlets : public PuzzleOutlets {
 public:
  void PlaySound(TQelElement&, const ByteString& name) override { sounds.push_back(name); }
  void AddStar(TQelElement&, const PuzzleStar& star) override { stars.push_back(star); }
  std::optional<PictureSize> PatternSize(const TQelImage&) override {
    if (!pixel) return std::nullopt;
    return size;
  }
  std::optional<uint32_t> PatternPixel(const TQelImage&, int32_t x, int32_t y) override {
    if (!pixel || x < 0 || y < 0 || x >= size.width || y >= size.height) return std::nullopt;
    return pixel(x, y);
  }
  void FillTriangle(TQelElement&, uint32_t argb, uint32_t effect, double x1, double y1, double x2, double y2,
                    double x3, double y3) override {
    triangles.push_back({argb, effect, x1, y1, x2, y2, x3, y3});
  }

  std::vector<ByteString> sounds;
  std::vector<PuzzleStar> stars;
  std::vector<Triangle> triangles;
  // The picture every image shows; none while unset.
  PictureSize size;
  std::function<uint32_t(int32_t x, int32_t y)> pixel;
};

inline const char* ClassNameOf(TQelScreen*) { return "TQelScreen"; }
inline const char* ClassNameOf(TQelImage*) { return "TQelImage"; }
inline const char* ClassNameOf(TQelShape*) { return "TQelShape"; }
inline const char* ClassNameOf(TQelText*) { return "TQelText"; }
inline const char* ClassNameOf(TQelAnim*) { return "TQelAnim"; }

class PuzzleScene : public ::testing::Test {
 protected:
  template <class T = TQelImage>
  T* Make(TQelElement* parent, const char* id, double x = 0, double y = 0) {
    auto* e = dynamic_cast<T*>(parent->CreateChild(ClassNameOf(static_cast<T*>(nullptr))));
    EXPECT_NE(e, nullptr) << id;
    e->SetId(id);
    e->rX = x;
    e->rY = y;
    e->Vis = true;
    return e;
  }
  static void Var(TQelElement* e, const char* name, Variant value) {
    if (!e->Vars) e->Vars = std::make_unique<TVarList>();
    if (TVar* v = e->Vars->Find(name)) v->Value = std::move(value);
    else e->Vars->AddVar({name, std::move(value)});
  }
  static void Var(TQelElement* e, const char* name, int32_t value) { Var(e, name, Variant::Integer(value)); }
  static void Ref(TQelElement* e, const char* name, const TQelElement* target) {
    Var(e, name, Variant::LongWord(target ? target->Handle() : 0));
  }
  static Variant Get(TQelElement* e, const char* name) {
    Variant v;
    EXPECT_TRUE(e->GetValue(name, v)) << name;
    return v;
  }
  static int64_t Int(TQelElement* e, const char* name) { return Get(e, name).ToInt64().value_or(-999999); }
  static ByteString Text(TQelElement* e, const char* name) { return Get(e, name).ToString(); }

  // What the scripts' generator gives next, without using it up.
  std::vector<uint32_t> NextRandoms(std::initializer_list<uint32_t> ranges) const {
    uint32_t seed = runtime.script.RandSeed;
    std::vector<uint32_t> out;
    for (uint32_t r : ranges) out.push_back(NextRandom(seed, r));
    return out;
  }

  // Runs a script as the screen's mouse-down event; the error message, or "" when it ran.
  std::string Run(const std::string& source) {
    screen->SetEventSource(evMouseDown, source);
    runtime.script.EventName = "ms_Down";
    screen->RunScript(screen->Event(evMouseDown).prepared, nullptr);
    TScriptCalc& calc = pool.At(1);
    return calc.ErrorCode() ? std::string(calc.ErrorMessage()) : "";
  }

  Runtime runtime;
  TextDB db{&runtime};
  RecordingOutlets outlets;
  InterpreterPool pool{runtime, db, [this](TScriptCalc& calc) {
                         RegisterHostFunctions(calc);
                         RegisterGameFunctions(calc, outlets);
                       }};
  TQelScreen* screen = Make<TQelScreen>(&db, "Room");
};

}  // namespace qel::test
