#include <gtest/gtest.h>

#include "base/byte_stream.h"
#include "elements/game_file.h"
#include "elements/game_text.h"
#include "elements/kinds.h"
#include "elements/qel_db.h"
#include "elements/state_stream.h"
#include "file_io_for_tests.h"

namespace qel {
namespace {

std::vector<StateRecord> Records(const ByteString& stream) {
  std::vector<StateRecord> out;
  EXPECT_TRUE(ReadStateRecords(stream, [&](const StateRecord& r) { out.push_back(r); }));
  return out;
}

const StateRecord* FindRecord(const std::vector<StateRecord>& records, int32_t key, const ByteString& name) {
  for (const auto& r : records)
    if (r.key == key && r.name == name) return &r;
  return nullptr;
}

TEST(StateStream, RoundTripIntoAFreshTreeOfTheSameGame) {
  ByteString game = test::DemoGameFile();
  TQelDB played;
  ASSERT_TRUE(LoadGameData(played, game));
  auto* door = static_cast<TQelImage*>(played.FindByKey(3));
  auto* room = played.FindByKey(1);
  door->SetValue("RX", Variant::Float(123.456));
  door->SetValue("SCALE", Variant::Float(0.5));
  door->SetValue("TAG", Variant::String("opened \xC4\xE2\xE5\xF0\xFC"));
  room->Vars = std::make_unique<TVarList>();
  room->Vars->AddVar({"CLICKS", Variant::Integer(3)});
  room->Vars->AddVar({"OPENED", Variant::Boolean(true)});
  room->Vars->AddVar({"KEYHOLE", Variant::LongWord(door->Handle())});
  room->Vars->AddVar({"DAY", Variant::Word(7)});
  ByteString stream;
  SaveState(played, stream);

  TQelDB restored;
  ASSERT_TRUE(LoadGameData(restored, game));
  auto* room2 = restored.FindByKey(1);
  room2->Vars = std::make_unique<TVarList>();
  for (const char* n : {"CLICKS", "OPENED", "KEYHOLE", "DAY"}) room2->Vars->AddVar({n, Variant()});
  ASSERT_TRUE(RestoreStateRecords(restored, stream));
  auto* door2 = static_cast<TQelImage*>(restored.FindByKey(3));
  EXPECT_EQ(door2->rX, 123.456);
  EXPECT_EQ(door2->ScaleMilli, 500);
  EXPECT_EQ(door2->Tag, door->Tag);
  EXPECT_EQ(room2->Vars->Find("CLICKS")->Value, Variant::Integer(3));
  EXPECT_EQ(room2->Vars->Find("OPENED")->Value, Variant::Integer(-1));  // Booleans come back as integers
  EXPECT_EQ(room2->Vars->Find("KEYHOLE")->Value, Variant::LongWord(door2->Handle()));
  EXPECT_EQ(room2->Vars->Find("DAY")->Value, Variant::Word(7));
  ByteString again;
  SaveState(restored, again);
  EXPECT_EQ(again, stream);
}

TEST(StateStream, WhatIsWrittenAndWhatIsNot) {
  ByteString game = test::DemoGameFile();
  TQelDB db;
  ASSERT_TRUE(LoadGameData(db, game));
  ByteString stream;
  SaveState(db, stream);
  auto records = Records(stream);
  // Images write RX/RY instead of X/Y, never Id, Key, scripts or the flags kept with the game.
  EXPECT_TRUE(FindRecord(records, 3, "RX"));
  EXPECT_FALSE(FindRecord(records, 3, "X"));
  EXPECT_TRUE(FindRecord(records, 1, "X"));  // screens keep X
  for (const char* skipped : {"ID", "KEY", "EXMOUSEDOWN", "INTERPOL", "MSKEEP", "NOTSAVE"})
    EXPECT_FALSE(FindRecord(records, 3, skipped)) << skipped;
  EXPECT_FALSE(FindRecord(records, 0, "CURKEY"));
  EXPECT_FALSE(FindRecord(records, 0, "FILERS"));
  // Extended values take ten bytes, as "E".
  const StateRecord* scale = FindRecord(records, 3, "SCALE");
  ASSERT_TRUE(scale);
  EXPECT_EQ(scale->tag, 'E');
  // The panel has NotSave: nothing of its own, but its child list is written.
  EXPECT_FALSE(FindRecord(records, 5, "VIS"));
  EXPECT_TRUE(FindRecord(records, 6, "VIS"));
  EXPECT_TRUE(FindRecord(records, 6, "ELEMENTS"));
  // Keys of an animation and everything below them are left out.
  EXPECT_FALSE(FindRecord(records, 9, "VIS"));
  EXPECT_FALSE(FindRecord(records, 10, "VIS"));
  EXPECT_TRUE(FindRecord(records, 8, "POS"));
}

TEST(StateStream, ReferencesToMissingElementsComeBackNil) {
  ByteString game = test::DemoGameFile();
  TQelDB db;
  ASSERT_TRUE(LoadGameData(db, game));
  auto* room = db.FindByKey(1);
  auto* sign = db.FindByKey(4);
  room->Vars = std::make_unique<TVarList>();
  room->Vars->AddVar({"TARGET", Variant::LongWord(sign->Handle())});
  room->Vars->AddVar({"NOTHING", Variant::LongWord(0)});
  ByteString stream;
  SaveState(db, stream);

  TQelDB other;
  ASSERT_TRUE(LoadGameData(other, game));
  other.FindByKey(3)->DestroyChild(other.FindByKey(4));
  auto* room2 = other.FindByKey(1);
  room2->Vars = std::make_unique<TVarList>();
  room2->Vars->AddVar({"TARGET", Variant::Integer(5)});
  room2->Vars->AddVar({"NOTHING", Variant::Integer(5)});
  ASSERT_TRUE(RestoreStateRecords(other, stream));
  EXPECT_EQ(room2->Vars->Find("TARGET")->Value, Variant::LongWord(0));
  EXPECT_EQ(room2->Vars->Find("NOTHING")->Value, Variant::LongWord(0));  // not the root, whose key is 0
}

TEST(StateStream, SkippedRecordsAndCutStreams) {
  ByteString game = test::DemoGameFile();
  TQelDB db;
  ASSERT_TRUE(LoadGameData(db, game));
  ByteString stream;
  ByteWriter w(stream);
  auto record = [&](int32_t key, const char* name, char tag) {
    w.WriteInt32(key);
    w.WriteString(name);
    w.WriteUInt8(static_cast<uint8_t>(tag));
  };
  record(3, "TAG", 'S'), w.WriteString("first");
  record(3, "TAG", 'Z');                       // unknown tag: nothing follows it
  record(999, "TAG", 'I'), w.WriteInt32(1);    // no such element
  record(5, "TAG", 'S'), w.WriteString("x");   // NotSave element
  record(3, "NOSUCH", 'I'), w.WriteInt32(1);   // no such name
  record(4, "TAG", 'S'), w.WriteString("sign");
  record(3, "ANIM", 'W'), w.WriteUInt16(2);
  size_t whole = stream.size();
  record(3, "TAG", 'S'), w.WriteInt32(100);    // cut inside the string
  ByteString problem;
  EXPECT_FALSE(RestoreStateRecords(db, stream, &problem));
  EXPECT_NE(problem.find(std::to_string(whole)), ByteString::npos);
  EXPECT_EQ(db.FindByKey(3)->Tag, "first");
  EXPECT_EQ(db.FindByKey(4)->Tag, "sign");
  EXPECT_EQ(db.FindByKey(5)->Tag, "");
  EXPECT_EQ(static_cast<TQelImage*>(db.FindByKey(3))->Anim, 2);
}

// Record names match in any case, so "Key" gives an element a new key: later records
// must find it under the new key and no longer under the old one.
TEST(StateStream, KeyChangedInAnyCaseIsFoundUnderTheNewKey) {
  ByteString game = test::DemoGameFile();
  TQelDB db;
  ASSERT_TRUE(LoadGameData(db, game));
  TQelElement* door = db.FindByKey(3);
  ASSERT_EQ(db.FindByKey(50), nullptr);
  ByteString stream;
  ByteWriter w(stream);
  w.WriteInt32(3), w.WriteString("Key"), w.WriteUInt8('I'), w.WriteInt32(50);
  w.WriteInt32(50), w.WriteString("TAG"), w.WriteUInt8('S'), w.WriteString("moved");
  w.WriteInt32(1), w.WriteString("TAG"), w.WriteUInt8('S'), w.WriteString("room");
  w.WriteInt32(3), w.WriteString("TAG"), w.WriteUInt8('S'), w.WriteString("stale");
  ASSERT_TRUE(RestoreStateRecords(db, stream));
  EXPECT_EQ(door->Key, 50);
  EXPECT_EQ(door->Tag, "moved");
  EXPECT_EQ(db.FindByKey(1)->Tag, "room");

  // The stream a fuzz run found: "KEy" moves key 3 to 50, a record with a zero tag is
  // skipped, and a name length past the end stops the reading.
  const unsigned char found[] = {
      3, 0, 0, 0, 3, 0, 0, 0, 'K', 'E', 'y', 'I', 50, 0, 0, 0, 50, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0,
      38, 0, 0, 0, 0, 0, 0x54, 0, 3, 0, 0, 0, 'm', 'm', 'm', 'm', 'V', 'I', 'S', 'I', 0x84, 0, 0, 0};
  TQelDB fresh;
  ASSERT_TRUE(LoadGameData(fresh, game));
  ByteString problem;
  EXPECT_FALSE(RestoreStateRecords(fresh, ByteString(reinterpret_cast<const char*>(found), sizeof found), &problem));
  EXPECT_NE(problem.find("offset 28"), ByteString::npos) << problem;
  ASSERT_NE(fresh.FindByKey(50), nullptr);
  EXPECT_EQ(fresh.FindByKey(3), nullptr);
  // What that leaves saves and restores to itself once the keys agree.
  ByteString first, second;
  SaveState(fresh, first);
  TQelDB again;
  ASSERT_TRUE(LoadGameData(again, game));
  again.FindByKey(3)->SetValue("KEY", Variant::Integer(50));
  ASSERT_TRUE(RestoreStateRecords(again, first));
  SaveState(again, second);
  EXPECT_EQ(first, second);
}

}  // namespace
}  // namespace qel
