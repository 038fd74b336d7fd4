#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/byte_stream.h"
#include "qeltool_render.h"
#include "render/byte_source.h"
#include "render/res_db.h"

using namespace qel;

namespace {

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "/resdb_" + std::to_string(::getpid()) + "_" + name;
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary);
  f.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::string Zip(const std::string& s) {
  uLongf n = compressBound(static_cast<uLong>(s.size()));
  std::string out(n, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(s.data()), static_cast<uLong>(s.size()));
  out.resize(n);
  return out;
}

struct RawRec {
  std::string name;
  uint16_t type;
  int32_t unpacked;
  std::string stored;
  uint16_t secure = 0;
};

// An archive written by hand, straight from the archive layout.
std::string BuildArchive(const std::vector<RawRec>& recs) {
  std::string out;
  ByteWriter w(out);
  w.WriteBytes("ASDb");
  w.WriteInt32(static_cast<int32_t>(recs.size()));
  w.WriteInt32(0);
  std::vector<int32_t> offs;
  for (const RawRec& r : recs) {
    offs.push_back(static_cast<int32_t>(out.size()));
    w.WriteUInt16(r.type);
    w.WriteInt32(r.unpacked);
    w.WriteInt32(static_cast<int32_t>(r.stored.size()));
    w.WriteDouble(45000.5);
    w.WriteBytes(std::string(16, '\x11'));
    w.WriteUInt16(r.secure);
    w.WriteBytes(std::string(8, '\x22'));
    w.WriteBytes(r.stored);
  }
  w.PatchInt32(8, static_cast<int32_t>(out.size()));
  for (size_t i = 0; i < recs.size(); ++i) {
    w.WriteString(recs[i].name);
    w.WriteInt32(offs[i]);
  }
  return out;
}

}  // namespace

TEST(ResDb, ReadsHandWrittenArchive) {
  const std::string path = TempPath("hand.asdb");
  WriteFile(path, BuildArchive({{"fonts\\main", 3, 11, Zip("hello world")}, {"pic.bmp", 0, 3, Zip("abc")}}));
  TResDb db;
  db.SetFileName(path);
  ASSERT_TRUE(db.OpenTable());
  EXPECT_EQ(db.RecordCount(), 2);
  EXPECT_EQ(db.RecordType(0), 3);
  EXPECT_EQ(db.RecordType(1), 0);
  EXPECT_EQ(db.RecordType(2), 0);
  EXPECT_EQ(db.RecordType(-1), 0);
  EXPECT_EQ(db.RecordName(1), "pic.bmp");
  EXPECT_EQ(db.RecordName(5), "[invalid-record-#]");
  EXPECT_EQ(db.IndexOf("FONTS\\MAIN"), 0);
  EXPECT_EQ(db.IndexOf("Pic.BMP"), 1);
  EXPECT_EQ(db.IndexOf("missing"), -1);
  std::vector<uint8_t> data;
  ASSERT_TRUE(db.ReadRecord("FONTS\\MAIN", data));
  EXPECT_EQ(std::string(data.begin(), data.end()), "hello world");
  std::ostringstream os;
  ASSERT_TRUE(db.ExtractRecord("pic.bmp", os));
  EXPECT_EQ(os.str(), "abc");
  EXPECT_FALSE(db.ReadRecord("missing", data));
  std::remove(path.c_str());
}

TEST(ResDb, OpensFromMemoryReadOnly) {
  const std::string image = BuildArchive({{"fonts\\main", 3, 11, Zip("hello world")}, {"pic.bmp", 0, 3, Zip("abc")}});
  TResDb db;
  db.SetOpenMode(TOpenMode::opUpdate);
  ASSERT_TRUE(db.OpenFromMemory(image));
  EXPECT_TRUE(db.InMemory());
  EXPECT_EQ(db.RecordCount(), 2);
  std::vector<uint8_t> data;
  ASSERT_TRUE(db.ReadRecord("Pic.Bmp", data));
  EXPECT_EQ(std::string(data.begin(), data.end()), "abc");
  EXPECT_TRUE(db.EnsureTable());
  ASSERT_TRUE(db.OpenTable());  // re-reads the same bytes
  EXPECT_EQ(db.RecordCount(), 2);
  EXPECT_FALSE(db.WriteRecord("new", 0, "x"));  // nothing to write to, whatever the mode

  // Cut anywhere, the image gives an empty table or records that read or fail cleanly.
  for (size_t n = 0; n < image.size(); ++n) {
    TResDb cut;
    if (!cut.OpenFromMemory(image.substr(0, n))) {
      EXPECT_EQ(cut.RecordCount(), 0);
      continue;
    }
    cut.ReadRecord("fonts\\main", data);
    cut.ReadRecord("pic.bmp", data);
  }

  const std::string path = TempPath("after_memory.asdb");
  WriteFile(path, BuildArchive({{"only", 0, 2, Zip("hi")}}));
  db.SetFileName(path);  // back to files
  EXPECT_FALSE(db.InMemory());
  ASSERT_TRUE(db.OpenTable());
  EXPECT_EQ(db.RecordCount(), 1);
  std::remove(path.c_str());
}

TEST(ResDb, ReadRecordLoadsTableWhenNotLoaded) {
  const std::string path = TempPath("lazy.asdb");
  WriteFile(path, BuildArchive({{"a", 0, 1, Zip("x")}}));
  TResDb db;
  db.SetFileName(path);
  std::vector<uint8_t> data;
  ASSERT_TRUE(db.ReadRecord("A", data));
  EXPECT_TRUE(db.TableLoaded());
  std::remove(path.c_str());
}

TEST(ResDb, EmptyArchive) {
  const std::string path = TempPath("empty.asdb");
  TResDb db;
  db.SetFileName(path);
  db.SetOpenMode(TOpenMode::opOverwrite);
  ASSERT_TRUE(db.OpenTable());
  std::string raw = ReadFile(path);
  ASSERT_EQ(raw.size(), 12u);
  EXPECT_EQ(raw.substr(0, 4), "ASDb");
  EXPECT_EQ(raw[8], 12);
  TResDb rd;
  rd.SetFileName(path);
  EXPECT_TRUE(rd.OpenTable());
  EXPECT_EQ(rd.RecordCount(), 0);
  std::remove(path.c_str());
}

TEST(ResDb, BadMagicGivesEmptyTable) {
  const std::string path = TempPath("magic.asdb");
  std::string a = BuildArchive({{"a", 0, 1, Zip("x")}});
  a[0] = 'X';
  WriteFile(path, a);
  TResDb db;
  db.SetFileName(path);
  EXPECT_FALSE(db.OpenTable());
  EXPECT_EQ(db.RecordCount(), 0);
  EXPECT_EQ(db.IndexOf("a"), -1);
  std::vector<uint8_t> data;
  EXPECT_FALSE(db.ReadRecord("a", data));
  std::remove(path.c_str());
}

TEST(ResDb, MissingFileGivesEmptyTable) {
  TResDb db;
  db.SetFileName(TempPath("does-not-exist.asdb"));
  EXPECT_FALSE(db.OpenTable());
  EXPECT_FALSE(db.EnsureTable());
  EXPECT_EQ(db.RecordCount(), 0);
}

TEST(ResDb, TruncatedTableGivesEmptyTable) {
  const std::string full = BuildArchive({{"first", 0, 5, Zip("12345")}, {"second", 0, 2, Zip("ab")}});
  const std::string path = TempPath("trunc.asdb");
  // Every prefix shorter than the whole file is refused (the table is at the end).
  for (size_t n = 0; n < full.size(); ++n) {
    WriteFile(path, full.substr(0, n));
    TResDb db;
    db.SetFileName(path);
    EXPECT_FALSE(db.OpenTable()) << n;
    EXPECT_EQ(db.RecordCount(), 0) << n;
  }
  std::remove(path.c_str());
}

TEST(ResDb, CorruptCountsAndOffsetsAreRefused) {
  const std::string path = TempPath("corrupt.asdb");
  std::string a = BuildArchive({{"a", 0, 1, Zip("x")}});
  std::string b = a;
  b[4] = '\x7f';  // huge record count
  WriteFile(path, b);
  TResDb db;
  db.SetFileName(path);
  EXPECT_FALSE(db.OpenTable());
  b = a;
  b[8] = '\x7f';  // table offset past the end
  WriteFile(path, b);
  EXPECT_FALSE(db.OpenTable());
  b = a;
  b[b.size() - 4] = '\x70';  // record offset past the end
  WriteFile(path, b);
  EXPECT_FALSE(db.OpenTable());
  std::remove(path.c_str());
}

TEST(ResDb, WrongUnpackedSizeFails) {
  const std::string path = TempPath("size.asdb");
  WriteFile(path, BuildArchive({{"short", 0, 4, Zip("hello")}, {"long", 0, 9, Zip("hello")}, {"ok", 0, 5, Zip("hello")},
                                {"garbage", 0, 5, "not zlib data"}}));
  TResDb db;
  db.SetFileName(path);
  ASSERT_TRUE(db.OpenTable());
  std::vector<uint8_t> data;
  EXPECT_FALSE(db.ReadRecord("short", data));
  EXPECT_TRUE(data.empty());
  EXPECT_FALSE(db.ReadRecord("long", data));
  EXPECT_FALSE(db.ReadRecord("garbage", data));
  EXPECT_TRUE(db.ReadRecord("ok", data));
  std::remove(path.c_str());
}

TEST(ResDb, TruncatedRecordDataFails) {
  const std::string path = TempPath("data.asdb");
  std::string a = BuildArchive({{"a", 0, 11, Zip("hello world")}});
  // Move the table offset in front of the data so that the data can be cut.
  TResDb db;
  db.SetFileName(path);
  std::string rec = Zip("hello world");
  std::string cut = a;
  // Overwrite the last stored byte region: stored size claims more than is there.
  cut.replace(12 + 6, 4, std::string("\xff\x00\x00\x00", 4));
  WriteFile(path, cut);
  ASSERT_TRUE(db.OpenTable());
  std::vector<uint8_t> data;
  EXPECT_FALSE(db.ReadRecord("a", data));
  std::remove(path.c_str());
}

TEST(ResDb, SecureRecordsCannotBeRead) {
  const std::string path = TempPath("secure.asdb");
  WriteFile(path, BuildArchive({{"s", 0, 5, Zip("hello"), 1}}));
  TResDb db;
  db.SetFileName(path);
  ASSERT_TRUE(db.OpenTable());
  EXPECT_EQ(db.IndexOf("s"), 0);
  std::vector<uint8_t> data;
  EXPECT_FALSE(db.ReadRecord("s", data));
  db.SetKey("some key");
  EXPECT_FALSE(db.ReadRecord("s", data));
  std::remove(path.c_str());
}

// Music plays from records unpacked as they are read: a record opens that
// way exactly when it reads whole, and every range reads as it unpacks,
// backwards, forwards and at the end, from a file and from memory.
TEST(ResDb, RecordSourcesOpenWhenRecordsReadAndReadEveryRangeAsUnpacked) {
  std::string big;
  uint32_t x = 1;
  for (int i = 0; i < 300000; ++i) big += static_cast<char>((x = x * 1103515245 + 12345) >> 28);
  std::string cutData = Zip(big);
  cutData.resize(cutData.size() / 2);
  const std::string image = BuildArchive({{"short", 0, 4, Zip("hello")}, {"long", 0, 9, Zip("hello")},
                                          {"garbage", 0, 5, "not zlib data"}, {"secure", 0, 5, Zip("hello"), 1},
                                          {"cut", 0, 300000, cutData}, {"empty", 0, 0, Zip("")},
                                          {"big", 0, 300000, Zip(big)}});
  const std::string path = TempPath("source.asdb");
  WriteFile(path, image);
  TResDb fromFile, fromMemory;
  fromFile.SetFileName(path);
  ASSERT_TRUE(fromMemory.OpenFromMemory(image));
  for (TResDb* db : {&fromFile, &fromMemory}) {
    for (const char* name : {"short", "long", "garbage", "secure", "cut", "empty", "big", "missing"}) {
      std::vector<uint8_t> whole;
      EXPECT_EQ(db->OpenRecordSource(name) != nullptr, db->ReadRecord(name, whole)) << name;
    }
    auto source = db->OpenRecordSource("BIG");
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Size(), 300000);
    std::string got(70000, '\0');
    for (int i = 0; i < 60; ++i) {
      const int64_t pos = (i * 7919L * 7919L) % 300100;
      const size_t n = static_cast<size_t>((i * 104729L) % 70000);
      const size_t want = pos >= 300000 ? 0 : std::min<size_t>(n, static_cast<size_t>(300000 - pos));
      ASSERT_EQ(source->ReadAt(pos, got.data(), n), want) << "at " << pos;
      ASSERT_EQ(got.compare(0, want, big, static_cast<size_t>(std::min<int64_t>(pos, 300000)), want), 0) << "at " << pos;
      if (i % 10 == 0) source->Release();
    }
    EXPECT_EQ(source->Error(), "");
  }
  std::remove(path.c_str());
}

TEST(ResDb, WriteRoundTripAndReplace) {
  const std::string path = TempPath("write.asdb");
  std::remove(path.c_str());
  TResDb db;
  db.SetFileName(path);
  db.SetOpenMode(TOpenMode::opUpdate);
  ASSERT_TRUE(db.OpenTable());
  std::string big(100000, 'q');
  ASSERT_TRUE(db.WriteRecord("Sounds\\Click.wav", 0, big));
  ASSERT_TRUE(db.WriteRecord("other", 7, "x"));
  ASSERT_TRUE(db.WriteRecord("SOUNDS\\CLICK.WAV", 0, "replaced"));
  TResDb rd;
  rd.SetFileName(path);
  ASSERT_TRUE(rd.OpenTable());
  ASSERT_EQ(rd.RecordCount(), 2);
  EXPECT_EQ(rd.RecordType(1), 7);
  std::vector<uint8_t> data;
  ASSERT_TRUE(rd.ReadRecord("sounds\\click.wav", data));
  EXPECT_EQ(std::string(data.begin(), data.end()), "replaced");
  TResDb ro;
  ro.SetFileName(path);
  EXPECT_FALSE(ro.WriteRecord("x", 0, "y"));  // read-only mode never writes
  std::remove(path.c_str());
}

TEST(QeltoolArchive, AddListExtract) {
  const std::string arc = TempPath("tool.asdb"), in = TempPath("in.bin"), out = TempPath("out.bin"),
                    listing = TempPath("list.txt");
  std::remove(arc.c_str());
  WriteFile(in, std::string("payload\0bytes", 13));
  {
    const char* argv[] = {"archive", "add", arc.c_str(), "Data\\One", in.c_str(), "--type", "5"};
    EXPECT_EQ(RunArchiveCommand(7, const_cast<char**>(argv)), 0);
  }
  {
    const char* argv[] = {"archive", "add", arc.c_str(), "two", in.c_str()};
    EXPECT_EQ(RunArchiveCommand(5, const_cast<char**>(argv)), 0);
  }
  {
    const char* argv[] = {"archive", "extract", arc.c_str(), "DATA\\ONE", "-o", out.c_str()};
    EXPECT_EQ(RunArchiveCommand(6, const_cast<char**>(argv)), 0);
    EXPECT_EQ(ReadFile(out), std::string("payload\0bytes", 13));
  }
  {
    const char* argv[] = {"archive", "extract", arc.c_str(), "nothing", "-o", out.c_str()};
    EXPECT_EQ(RunArchiveCommand(6, const_cast<char**>(argv)), 2);
  }
  {
    testing::internal::CaptureStdout();
    const char* argv[] = {"archive", "list", arc.c_str()};
    EXPECT_EQ(RunArchiveCommand(3, const_cast<char**>(argv)), 0);
    std::string text = testing::internal::GetCapturedStdout();
    TResDb db;
    db.SetFileName(arc);
    ASSERT_TRUE(db.OpenTable());
    std::string expect = "Data\\One\t5\t13\t" + std::to_string(db.Record(0)->storedSize) + "\tplain\n" + "two\t0\t13\t" +
                         std::to_string(db.Record(1)->storedSize) + "\tplain\n";
    EXPECT_EQ(text, expect);
  }
  std::remove(arc.c_str());
  std::remove(in.c_str());
  std::remove(out.c_str());
}

TEST(QeltoolArchive, SecureRecordExtractExitsTwo) {
  const std::string arc = TempPath("sec.asdb"), out = TempPath("sec.out");
  WriteFile(arc, BuildArchive({{"s", 0, 5, Zip("hello"), 1}}));
  testing::internal::CaptureStdout();
  const char* list[] = {"archive", "list", arc.c_str()};
  EXPECT_EQ(RunArchiveCommand(3, const_cast<char**>(list)), 0);
  std::string text = testing::internal::GetCapturedStdout();
  EXPECT_NE(text.find("\tsecure\n"), std::string::npos);
  const char* argv[] = {"archive", "extract", arc.c_str(), "s", "-o", out.c_str()};
  EXPECT_EQ(RunArchiveCommand(6, const_cast<char**>(argv)), 2);
  std::remove(arc.c_str());
}
