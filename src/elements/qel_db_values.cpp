// Named values of the root (the volumes, the display mode, the last cheat,
// the unicode switch) and its lookups in the language and sound tables.
#include <algorithm>

#include "elements/qel_db.h"

namespace qel {
namespace {

bool IsDatabaseName(const ByteString& name) {
  return name == "VOLMUZ" || name == "VOLSND" || name == "FULLSCREEN" || name == "CHEAT" || name == "UNICODE";
}

int32_t Volume(const Variant& value, int32_t previous) {
  auto v = value.IsString() ? ParseInteger(value.string_value()) : value.ToInt64();
  return v ? static_cast<int32_t>(std::clamp<int64_t>(*v, 0, 100)) : previous;
}

}  // namespace

ByteString TQelDB::GetLangText(const ByteString& key) { return lang_.GetText(key); }

void TQelDB::LookupSound(const ByteString& name, ByteString& file, int32_t& volume) const {
  TextName n = SplitTextName(name);
  if (!n.Valid()) {
    file.clear();
    volume = 0;
    return;
  }
  if (!soundTable_) return;
  ByteString value = soundTable_->Read(n.section, n.key, "");
  size_t colon = value.find(':');
  if (colon == ByteString::npos) {
    volume = 100;
    file = value;
    return;
  }
  if (auto v = ParseInteger(value.substr(0, colon)); v && *v >= INT32_MIN && *v <= INT32_MAX)
    volume = static_cast<int32_t>(*v);
  file = value.substr(colon + 1);
}

bool TQelDB::GetValue(const ByteString& name, Variant& value) {
  if (TQelElement::GetValue(name, value)) return true;
  const ShellState& shell = runtime().shell;
  if (name == "VOLMUZ") value = Variant::Integer(shell.MusicVolume);
  else if (name == "VOLSND") value = Variant::Integer(shell.SoundVolume);
  else if (name == "FULLSCREEN") value = Variant::Byte(shell.FullScreen ? 1 : 0);
  else if (name == "CHEAT") value = Variant::String(LastCheat);
  else if (name == "UNICODE") value = Variant::Boolean(UnicodeMode);
  else return false;
  return true;
}

// A variable of the root named like one of its own values still sets it.
bool TQelDB::NamedByBase(const ByteString& name) const { return !IsDatabaseName(name); }

bool TQelDB::KeywordName(const ByteString& name) const {
  return IsDatabaseName(name) || TQelElement::KeywordName(name);
}

bool TQelDB::SetValue(const ByteString& name, const Variant& value) {
  bool own = TQelElement::SetValue(name, value);
  if (!IsDatabaseName(name)) return own;
  ShellState& shell = runtime().shell;
  if (name == "VOLMUZ") {
    shell.MusicVolume = Volume(value, shell.MusicVolume);
    if (settings_) settings_->WriteInteger("Def", "Muz", shell.MusicVolume);
  } else if (name == "VOLSND") {
    shell.SoundVolume = Volume(value, shell.SoundVolume);
    if (settings_) settings_->WriteInteger("Def", "Snd", shell.SoundVolume);
  } else if (name == "FULLSCREEN") {
    auto v = value.IsString() ? ParseInteger(value.string_value()) : value.ToInt64();
    shell.FullScreen = v && *v != 0;
    if (settings_) settings_->WriteBool("Def", "FS", shell.FullScreen);
  }
  return true;  // CHEAT and UNICODE are read-only, yet known
}

bool TQelDB::MayTakeValue(const ByteString& name) const {
  return IsDatabaseName(name) || TQelElement::MayTakeValue(name);
}

}  // namespace qel
