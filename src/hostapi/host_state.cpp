#include "hostapi/host_state.h"

#include <algorithm>
#include <exception>
#include <system_error>

#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "gamedb/escaped_text.h"
#include "gamedb/sound_cache.h"
#include "hostapi/host_args.h"
#include "hostapi/random.h"
#include "render/gfx_images.h"
#include "script/scriptcalc.h"

namespace qel {
namespace {

TQelDB* RootOf(TScriptCalc& calc) {
  ScriptEnv* env = calc.env();
  return env ? dynamic_cast<TQelDB*>(env->RootElement()) : nullptr;
}

constexpr size_t kMaxSettingUtf8 = 1999;
constexpr size_t kMaxSettingUnits = 999;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The UTF-8 form cut at a character boundary so that it fits max bytes.
std::string CutUtf8(std::string utf8, size_t max) {
  if (utf8.size() <= max) return utf8;
  size_t end = max;
  while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
  utf8.resize(end);
  return utf8;
}

// Names of a setting as the wide file knows them.
std::string SettingName(const ByteString& escaped) { return Utf16ToUtf8(EscapedToUtf16(escaped)); }

}  // namespace

ByteString HexSettingFromEscaped(const ByteString& escaped) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string utf8 = CutUtf8(Utf16ToUtf8(EscapedToUtf16(escaped)), kMaxSettingUtf8);
  ByteString out = "#$#$";
  for (unsigned char b : utf8) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

ByteString EscapedFromSetting(const std::u16string& stored) {
  std::string bytes;
  if (stored.size() >= 4 && stored.compare(0, 4, u"#$#$") == 0) {
    for (size_t i = 4; i + 1 < stored.size(); i += 2) {
      int hi = stored[i] < 128 ? HexDigit(static_cast<char>(stored[i])) : -1;
      int lo = stored[i + 1] < 128 ? HexDigit(static_cast<char>(stored[i + 1])) : -1;
      if (hi < 0 || lo < 0) break;
      bytes += static_cast<char>(hi * 16 + lo);
    }
  } else {
    bytes = Utf16ToUtf8(stored);
  }
  std::u16string wide = Utf8ToUtf16(bytes);
  if (wide.size() > kMaxSettingUnits) wide.resize(kMaxSettingUnits);
  return Utf16ToEscaped(wide);
}

bool HostSaveState(TScriptCalc& calc, TVarList&, TVar&) {
  if (TQelDB* db = RootOf(calc)) db->ClearState();
  return true;
}

bool HostLoadState(TScriptCalc& calc, TVarList&, TVar&) {
  if (TQelDB* db = RootOf(calc)) db->RestoreState();
  return true;
}

bool HostTimerReset(TScriptCalc& calc, TVarList&, TVar&) {
  TQelDB* db = RootOf(calc);
  if (db && db->hooks.resetClock) db->hooks.resetClock();
  return true;
}

bool HostGetIni(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 3) return false;
  try {
    const ByteString section = TextArg(p[0]), key = TextArg(p[1]), fallback = TextArg(p[2]);
    TQelDB* db = RootOf(calc);
    SettingsFile* settings = db ? db->Settings() : nullptr;
    // Without a settings file every key is absent.
    if (!db || !db->UnicodeMode) {
      r.Value = Variant::String(settings ? settings->ReadString(section, key, fallback) : fallback);
    } else {
      std::u16string stored = settings ? settings->ReadWide(SettingName(section), SettingName(key), u"") : u"";
      r.Value = Variant::String(EscapedFromSetting(stored));
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool HostSetIni(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 3) return false;
  try {
    TQelDB* db = RootOf(calc);
    SettingsFile* settings = db ? db->Settings() : nullptr;
    if (settings) {
      const ByteString section = TextArg(p[0]), key = TextArg(p[1]), value = TextArg(p[2]);
      if (!db->UnicodeMode)
        settings->WriteString(section, key, value);
      else
        settings->WriteWide(SettingName(section), SettingName(key), Utf8ToUtf16(HexSettingFromEscaped(value)));
    }
    r.Value = Variant::Byte(0);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool HostDelFile(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() != 1) return false;
  try {
    TQelDB* db = RootOf(calc);
    GameDir* dir = db ? db->runtime().services.dir : nullptr;
    auto files = db ? db->Files() : std::nullopt;
    const ByteString name = TextArg(p[0]);
    // Only files of the game go: its own, and the player's copy of it in
    // the user's data folder. Names leaving the game find nothing.
    std::optional<std::filesystem::path> places[2];
    if (dir) places[0] = dir->Find(name);
    if (files) places[1] = GameDir(files->DataDir()).Find(name);
    for (const auto& place : places) {
      std::error_code ec;
      if (place && !std::filesystem::is_directory(*place, ec)) std::filesystem::remove(*place, ec);
    }
    r.Value = Variant::Byte(0);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

namespace {

// Runs fn with the sound cache and the file and volume the sound table
// gives the name (an unknown name gives no file: nothing plays).
template <class Fn>
void WithSound(TScriptCalc& calc, const TVar& name, Fn fn) {
  TQelDB* db = RootOf(calc);
  SoundCache* sounds = db ? db->runtime().services.sounds : nullptr;
  if (!sounds) return;
  ByteString file;
  int32_t volume = 0;
  db->LookupSound(TextArg(name), file, volume);
  if (!file.empty()) fn(*sounds, file, volume);
}

}  // namespace

bool HostPlaySnd(TScriptCalc& calc, TVarList& p, TVar&) {
  if (p.Count() != 1) return false;
  WithSound(calc, p[0], [](SoundCache& s, const ByteString& file, int volume) { s.PlaySound(file, volume); });
  return true;
}

bool HostPlayMuz(TScriptCalc& calc, TVarList& p, TVar&) {
  if (p.Count() != 1) return false;
  WithSound(calc, p[0], [](SoundCache& s, const ByteString& file, int volume) { s.PlayMusic(file, volume); });
  return true;
}

bool HostStopMuz(TScriptCalc& calc, TVarList& p, TVar&) {
  if (p.Count() != 1) return false;
  TQelDB* db = RootOf(calc);
  if (SoundCache* sounds = db ? db->runtime().services.sounds : nullptr) sounds->FadeOutMusic();
  return true;
}

bool HostExitGame(TScriptCalc& calc, TVarList&, TVar&) {
  ScriptEnv* env = calc.env();
  if (Runtime* rt = env ? env->runtime() : nullptr) rt->shell.ExitRequested = true;
  return true;
}

namespace {

// The optional tail shared by AddStar and ImStarsR: pattern, colour, layer, effect.
struct StarTail {
  int32_t pattern = 0;
  ByteString colour;
  int32_t layer = 1000;
  int32_t effect = 260;
};

StarTail ReadStarTail(const TVarList& p, int first) {
  StarTail t;
  if (p.Count() > first) t.pattern = IntegerArg(p[first].Value);
  if (p.Count() > first + 1) t.colour = TextArg(p[first + 1]);
  if (p.Count() > first + 2) t.layer = IntegerArg(p[first + 2].Value);
  if (p.Count() > first + 3) t.effect = IntegerArg(p[first + 3].Value);
  return t;
}

void AddStar(TQelDB& db, StarRecord star, const StarTail& tail) {
  star.pattern = tail.pattern;
  star.layer = tail.layer;
  star.effect = tail.effect;
  // A random colour is drawn only when one is needed, so seeded games repeat.
  uint32_t random = 0;
  if (tail.colour.empty() && db.Stars().FirstFree()) random = NextRandom(db.runtime().script.RandSeed, 0xFFFFFF);
  db.AddStarRecord(star, tail.colour, random);
}

}  // namespace

bool HostAddStar(TScriptCalc& calc, TVarList& p, TVar& r) {
  if (p.Count() < 8 || p.Count() > 12) return false;
  try {
    StarRecord star;
    star.angle = NumberArg(p[0].Value);
    star.x = NumberArg(p[1].Value);
    star.y = NumberArg(p[2].Value);
    star.scale = NumberArg(p[3].Value);
    star.angleStep = NumberArg(p[4].Value);
    star.scaleStep = NumberArg(p[5].Value);
    star.xStep = NumberArg(p[6].Value);
    star.yStep = NumberArg(p[7].Value);
    StarTail tail = ReadStarTail(p, 8);
    if (TQelDB* db = RootOf(calc)) AddStar(*db, star, tail);
    r.Value = Variant::Byte(0);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace qel

namespace qel {

bool HostImStarsR(TScriptCalc& calc, TVarList& p, TVar&) {
  if (p.Count() < 10 || p.Count() > 14 || p[0].Value.kind() != VarKind::LongWord) return false;
  try {
    TQelDB* db = RootOf(calc);
    auto* image = db ? dynamic_cast<TQelImage*>(db->runtime().Resolve(p[0].Value.handle())) : nullptr;
    const TGfxImage* picture = image ? image->Picture() : nullptr;
    const int attempts = IntegerArg(p[1].Value);
    const double threshold = NumberArg(p[2].Value);
    const double baseScale = NumberArg(p[3].Value);
    const int32_t spread = IntegerArg(p[4].Value);
    StarRecord star;
    star.scaleStep = NumberArg(p[5].Value);
    star.angle = NumberArg(p[6].Value);
    star.angleStep = NumberArg(p[7].Value);
    star.xStep = NumberArg(p[8].Value);
    star.yStep = NumberArg(p[9].Value);
    const StarTail tail = ReadStarTail(p, 10);
    if (!picture || picture->PatternCount <= 0 || picture->PatternWidth <= 0 || picture->PatternHeight <= 0)
      return true;
    const int pattern = std::clamp(image->Anim, 0, picture->PatternCount - 1);
    uint32_t& seed = db->runtime().script.RandSeed;
    for (int i = 0; i < attempts; ++i) {
      const auto rx = static_cast<int>(NextRandom(seed, static_cast<uint32_t>(picture->PatternWidth)));
      const auto ry = static_cast<int>(NextRandom(seed, static_cast<uint32_t>(picture->PatternHeight)));
      if (!((picture->GetPatternPixel(pattern, rx, ry) >> 24) >= threshold)) continue;
      star.x = image->GetAbsX() + rx;
      star.y = image->GetAbsY() + ry;
      star.scale = baseScale + (spread > 0 ? NextRandom(seed, static_cast<uint32_t>(spread)) : 0) / 100.0;
      AddStar(*db, star, tail);
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace qel
