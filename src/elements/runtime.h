#pragma once
// Everything that is process-wide in a running game besides the element tree:
// the element handles, the shell's input and loading state, and the script
// globals. One object, passed around, so that tests and tools can run several
// games side by side and nothing hides in globals.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "base/encoding.h"
#include "elements/element_registry.h"
#include "elements/layer_walk.h"

namespace qel {

class ParticleManager;
class ScriptHost;
class TQelElement;
class GameDir;
class ImageCache;
class SoundCache;
class AudioMixer;
class TGfxCanvas;
class TGfxFonts;
class TResDb;
class LangTables;
class TGfxImages;

// Element references are kept as handles: a destroyed element reads as nil.
using ElementRef = uint32_t;

struct ShellState {
  ElementRef CurrentScreen = 0;
  ElementRef PendingScreen = 0;
  ElementRef CursorElement = 0;
  ElementRef HoveredElement = 0;
  ElementRef PressedElement = 0;
  ElementRef FocusedText = 0;
  bool MouseCaptured = false;
  int32_t MouseX = 0, MouseY = 0, MouseDX = 0, MouseDY = 0;
  bool LoadingMode = false;
  bool FullScreen = false;
  bool TestMode = false;
  bool ExitRequested = false;
  int64_t FrameTick = 0;
  bool ImmediateImageLoad = false;
  int32_t ImagesForLoadCount = 0;
  int32_t ImagesForLoadPos = 0;
  int32_t MusicVolume = 50;
  int32_t SoundVolume = 100;
  int32_t LastKeyDown = 0;  // last key code given to the root's key-down event
};

struct ScriptGlobals {
  ElementRef CurrentElement = 0;
  ByteString EventName;
  int ScriptDepth = 1;
  // State of the scripts' random generator (seeded at start-up or by a tool).
  uint32_t RandSeed = 0;
};

// The services a running game reaches, set by whoever runs it (player,
// tests, tools); none is owned here. nullptr means the service is not there,
// and code then quietly does without it (nothing drawn, no sound, no file).
struct GameServices {
  GameDir* dir = nullptr;          // every game file name goes through it
  ImageCache* images = nullptr;
  SoundCache* sounds = nullptr;
  AudioMixer* audio = nullptr;
  TGfxCanvas* canvas = nullptr;    // what elements draw on
  TGfxFonts* fonts = nullptr;      // bitmap fonts of texts (from the root's font archive)
  TResDb* archive = nullptr;       // the resource archive; the root points it at its FileFonts
  LangTables* lang = nullptr;      // the root's language tables (set by the root itself)
  TGfxImages* textures = nullptr;  // list for textures elements make themselves (pies, system-font texts)
  ParticleManager* particles = nullptr;  // shared by every particle effect
};

// What went wrong while reading a game file or a state stream: where, in
// which element, and what was skipped.
struct LoadProblem {
  size_t offset = 0;
  ByteString path;
  ByteString message;
};

// A script error as the player's diagnostics see it: the parts of its error
// log line, handed over whether or not the game keeps a log.
struct ScriptErrorReport {
  int code = 0;
  ByteString message;
  ByteString statement;  // readable text of the statement that failed
  ByteString place;      // the running element
  ByteString event;
};

class Runtime {
 public:
  ElementRegistry elements;
  ShellState shell;
  ScriptGlobals script;
  GameServices services;
  // Where script errors are appended when the root placed the log (a game
  // directory that cannot be written keeps it in the user's data folder).
  std::filesystem::path errorLog;
  // Told of every script error, logged or not (bug reports, the inspector).
  std::vector<std::function<void(const ScriptErrorReport&)>> scriptErrorListeners;
  // Filled by the script engine; without one, scripts are stored but never run.
  ScriptHost* scriptHost = nullptr;
  // Set while a game file or a saved state is being read: work that only
  // makes sense on a complete tree (animation rebuilds) waits until the end.
  bool reading = false;
  // Layer passes visit only the layers where something is; off, they step through
  // every integer between the lowest and highest Order (the plain rule).
  bool skipEmptyLayers = SkipEmptyLayersByDefault();
  std::vector<LoadProblem> loadProblems;
  std::string_view loadBuffer;  // the file being read, for offsets in problems

  TQelElement* Resolve(ElementRef ref) const { return ref ? elements.Get(ref) : nullptr; }
};

}  // namespace qel
