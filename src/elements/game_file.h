#pragma once
// Reading element records of the game file. A record is the class name, a
// value count, that many values in the class's published order, then the
// child records to the end. Records are read in place: children are views
// into the one buffer of the file, never copies.
#include <cstdint>
#include <string_view>

#include "base/encoding.h"

namespace qel {

// Levels of the deepest tree a game file may hold, the root being level 1. Authored games
// use a handful; the bound keeps every recursive walk of a tree (reading, writing, state,
// the frame passes, the text dump) far inside the native stack.
constexpr int kMaxTreeDepth = 256;

class TQelElement;
class TQelDB;

// Replaces the root's game with the one in data (a whole game file, kept
// alive by the caller while it is read). True when every record was sound;
// otherwise the root holds what could be read and the runtime lists the problems.
bool LoadGameData(TQelDB& root, std::string_view data);

// Reads one record into an existing element (its values through the
// property setters, then its children). False when the record itself is
// malformed; what could be read stays, and the problem is logged in the
// element's runtime. Children that would sit deeper than kMaxTreeDepth are
// skipped with their subtrees and reported. Called by the elements' LoadFromData.
bool ReadElementRecord(TQelElement& element, std::string_view record, bool keepKeys);

// Writes an element and its subtree as a record with every published value,
// as the reader expects them.
ByteString WriteElementRecord(const TQelElement& element);

// Values to read from a record of this class, or -1 when the count is not
// one the class can hold.
int UsableValueCount(int32_t stored, size_t published);

}  // namespace qel
