#pragma once
// What one prepared event script does, read off its compiled form without
// running it: the syntax errors it would stop on, the functions it calls
// with their literal or name arguments, and the names it reads and writes.
#include <string>
#include <vector>

#include "base/encoding.h"

namespace qel {

class Program;
class TFuncList;

struct ScriptArg {
  enum Kind { Other, Literal, Name } kind = Other;
  ByteString text;  // the string literal, or the name (upper case)
};

struct ScriptCall {
  ByteString name;  // upper case
  bool routine = false;  // a routine the script declares (or uses)
  std::vector<ScriptArg> args;
};

// A file found only by matching its name whatever the letter case.
struct CaseOnlyFile {
  ByteString asked;    // as the game spells it
  std::string onDisk;  // relative to the game directory, '/' between folders
};

struct ScriptFacts {
  ByteString event;                   // the event property, e.g. "exInit"
  std::vector<ByteString> errors;     // messages, first the preparation's own
  std::vector<ScriptCall> calls;
  std::vector<ByteString> names;      // names read or written, in order
  std::vector<ByteString> assigned;   // plain names the script assigns
  // Keys of language texts: a double-quoted text assigned to an element is
  // replaced by the language text of the key between the quotes.
  std::vector<ByteString> langKeys;
  // Script files its USES and INCLUDE statements find only by ignoring letter case.
  std::vector<CaseOnlyFile> caseOnlyFiles;
};

// Collects the facts of a prepared program (procedure bodies included).
void CollectFacts(const Program& program, ScriptFacts& facts);

}  // namespace qel
