#pragma once
// The root of the element tree: one game. Besides being an element it holds
// what is global to the game; here, its published properties, the key
// counter and the runtime state it hands to every element of its tree.
#include <memory>

#include "elements/element.h"

namespace qel {

class TQelDB : public TQelElement {
 public:
  // Runs on the given runtime, or on one of its own when none is given.
  explicit TQelDB(Runtime* runtime = nullptr);
  ~TQelDB() override;
  const ElementClass& Class() const override;
  Runtime& runtime() const { return *runtime_; }

  // Removes every element of the game (the top-level children).
  void Clear();
  // Language text for a key "Section.Key"; empty until language tables exist.
  virtual ByteString GetLangText(const ByteString& key);

  int32_t CurKey = 0;
  int32_t InitScreen = 0;
  ByteString FileRS, FileFonts;
  uint8_t hxTransLev = 0;
  ByteString DefLang, Lang;
  int32_t LoadingScreen = 0;
  EventScript exLoadImProcess;
  ByteString IniFile, SoundFile;
  EventScript exKeyDown, exExit, exCheat, exSetScreen;
  int32_t MaxMem = 0;
  ByteString Cheats;
  bool SaveErr = false;
  bool AlwaysLoadIm = false;
  bool UnicodeMode = false;

 private:
  std::unique_ptr<Runtime> ownedRuntime_;
  Runtime* runtime_;
};

}  // namespace qel
