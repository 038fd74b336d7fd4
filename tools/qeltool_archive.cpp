// qeltool archive: inspect and make resource archives.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "qeltool_render.h"
#include "tool_args.h"
#include "render/picture.h"
#include "render/res_db.h"

namespace qel {

bool AddArchiveRecord(const std::string& archive, const std::string& name, uint16_t type, std::string_view data,
                      std::string& error) {
  TResDb db;
  db.SetFileName(archive);
  db.SetOpenMode(TOpenMode::opUpdate);
  if (!db.OpenTable()) {
    error = "cannot open or create archive " + archive + " (not an archive, or not writable)";
    return false;
  }
  if (!db.WriteRecord(name, type, data)) {
    error = "cannot write archive " + archive;
    return false;
  }
  return true;
}

}  // namespace qel

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: qeltool archive list ARCHIVE\n"
               "       qeltool archive extract ARCHIVE NAME -o FILE\n"
               "       qeltool archive add ARCHIVE NAME FILE [--type N]\n");
  return 2;
}

}  // namespace

int RunArchiveCommand(int argc, char** argv) {
  using namespace qel;
  if (argc < 3) return Usage();
  const std::string verb = argv[1];
  const std::string archive = argv[2];
  if (verb == "list") {
    if (argc != 3) return Usage();
    TResDb db;
    db.SetFileName(archive);
    if (!db.OpenTable()) {
      std::fprintf(stderr, "qeltool archive: cannot read archive %s\n", archive.c_str());
      return 2;
    }
    for (int i = 0; i < db.RecordCount(); ++i) {
      const TResRecord* r = db.Record(i);
      std::printf("%s\t%d\t%d\t%d\t%s\n", r->name.c_str(), r->type, r->unpackedSize, r->storedSize,
                  r->secure ? "secure" : "plain");
    }
    return 0;
  }
  if (verb == "extract") {
    std::string name, out;
    for (int i = 3; i < argc; ++i) {
      if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc)
        out = argv[++i];
      else if (name.empty())
        name = argv[i];
      else
        return Usage();
    }
    if (name.empty() || out.empty()) return Usage();
    TResDb db;
    db.SetFileName(archive);
    std::vector<uint8_t> data;
    if (!db.ReadRecord(name, data)) {
      std::fprintf(stderr, "qeltool archive: cannot read record %s from %s\n", name.c_str(), archive.c_str());
      return 2;
    }
    std::ofstream f(out, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    f.close();
    if (!f) {
      std::fprintf(stderr, "qeltool archive: cannot write %s\n", out.c_str());
      return 2;
    }
    return 0;
  }
  if (verb == "add") {
    std::vector<std::string> pos;
    long type = 0;
    for (int i = 3; i < argc; ++i) {
      if (std::strcmp(argv[i], "--type") == 0 && i + 1 < argc) {
        if (!qel::ParseIntArg(argv[++i], type) || type < 0 || type > 65535) return Usage();
      } else {
        pos.push_back(argv[i]);
      }
    }
    if (pos.size() != 2) return Usage();
    std::vector<uint8_t> data;
    if (!ReadFileBytes(pos[1], data)) {
      std::fprintf(stderr, "qeltool archive: cannot read %s\n", pos[1].c_str());
      return 2;
    }
    std::string error;
    if (!AddArchiveRecord(archive, pos[0], static_cast<uint16_t>(type),
                          std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), error)) {
      std::fprintf(stderr, "qeltool archive: %s\n", error.c_str());
      return 2;
    }
    return 0;
  }
  return Usage();
}
