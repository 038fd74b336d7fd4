// qeltool: the game file as text and back, and a look into state streams.
//   qeltool dump GAME.qelf
//   qeltool pack TEXT -o GAME.qelf
//   qeltool state FILE [--game GAME.qelf]
//   qeltool lint GAME.qelf
//   qeltool archive ..., qeltool font ...
// Exit status: 0 done (lint: nothing found, or warnings only), 1 lint found problems,
// 2 usage, file or format error.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "elements/game_file.h"
#include "elements/game_text.h"
#include "elements/qel_db.h"
#include "elements/state_stream.h"
#include "file_io.h"
#include "lint.h"
#include "qeltool_render.h"

namespace qel {
namespace {

constexpr const char* kUsage =
    "usage: qeltool dump GAME.qelf\n"
    "       qeltool pack TEXT -o GAME.qelf\n"
    "       qeltool state FILE [--game GAME.qelf]\n"
    "       qeltool lint GAME.qelf\n"
    "       qeltool archive list ARCHIVE\n"
    "       qeltool archive extract ARCHIVE NAME -o FILE\n"
    "       qeltool archive add ARCHIVE NAME FILE [--type N]\n"
    "       qeltool font TTF PIXELSIZE NAME -o ARCHIVE [--first N] [--count N]\n"
    "       qeltool --help | --version\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

void PrintProblems(const char* what, const std::vector<TextProblem>& problems) {
  for (const auto& p : problems)
    std::fprintf(stderr, "qeltool: %s %zu%s%s: %s\n", what, p.where, p.path.empty() ? "" : " in ", p.path.c_str(),
                 p.message.c_str());
}

int Dump(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage();
  auto data = ReadWholeFile(args[0]);
  if (!data) {
    std::fprintf(stderr, "qeltool: cannot read %s\n", args[0].c_str());
    return 2;
  }
  std::string text;
  std::vector<TextProblem> problems;
  bool ok = DumpGame(*data, text, problems);
  std::fwrite(text.data(), 1, text.size(), stdout);
  PrintProblems("offset", problems);
  return ok ? 0 : 2;
}

int Pack(const std::vector<std::string>& args) {
  if (args.size() != 3 || args[1] != "-o") return Usage();
  auto text = ReadWholeFile(args[0]);
  if (!text) {
    std::fprintf(stderr, "qeltool: cannot read %s\n", args[0].c_str());
    return 2;
  }
  ByteString file;
  std::vector<TextProblem> problems;
  if (!PackGame(*text, file, problems)) {
    PrintProblems((args[0] + " line").c_str(), problems);
    return 2;
  }
  if (!WriteWholeFile(args[2], file)) {
    std::fprintf(stderr, "qeltool: cannot write %s\n", args[2].c_str());
    return 2;
  }
  return 0;
}

std::string StateValueText(const StateRecord& rec) {
  switch (rec.tag) {
    case 'E': {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.17g", rec.value.float_value());
      return buf;
    }
    case 'S': return QuoteText(rec.value.string_value());
    default: return std::to_string(rec.value.int_value());
  }
}

int State(const std::vector<std::string>& args) {
  std::string streamPath, gamePath;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--game" && i + 1 < args.size())
      gamePath = args[++i];
    else if (streamPath.empty())
      streamPath = args[i];
    else
      return Usage();
  }
  if (streamPath.empty()) return Usage();
  auto stream = ReadWholeFile(streamPath);
  if (!stream) {
    std::fprintf(stderr, "qeltool: cannot read %s\n", streamPath.c_str());
    return 2;
  }
  TQelDB root;
  std::optional<std::string> game;
  if (!gamePath.empty()) {
    game = ReadWholeFile(gamePath);
    if (!game) {
      std::fprintf(stderr, "qeltool: cannot read %s\n", gamePath.c_str());
      return 2;
    }
    LoadGameData(root, *game);
  }
  ByteString problem;
  bool ok = ReadStateRecords(*stream, [&](const StateRecord& rec) {
    std::string element;
    if (game) {
      TQelElement* e = root.FindByKey(rec.key);
      element = e ? Cp1251ToUtf8(e->Description()) : "-";
      element += "\t";
    }
    std::string tag(1, rec.tag);
    if (!rec.known) tag = std::string("?").append(std::to_string(static_cast<unsigned char>(rec.tag)));
    std::printf("%d\t%s%s\t%s\t%s\n", rec.key, element.c_str(), Cp1251ToUtf8(rec.name).c_str(), tag.c_str(),
                rec.known ? StateValueText(rec).c_str() : "");
  }, &problem);
  if (!ok) {
    std::fprintf(stderr, "qeltool: %s\n", problem.c_str());
    return 2;
  }
  return 0;
}

// One problem a line, "PATH: message"; status 1 when there is any.
int Lint(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage();
  std::vector<LintProblem> problems = LintGame(args[0]);
  bool errors = false;
  for (const LintProblem& p : problems) {
    std::printf("%s\n", LintLine(p).c_str());
    errors = errors || !p.warning;
  }
  return errors ? 1 : 0;
}

}  // namespace
}  // namespace qel

int main(int argc, char** argv) {
  if (argc < 2) return qel::Usage();
  std::string command = argv[1];
  if (command == "--help") return std::fputs(qel::kUsage, stdout), 0;
  if (command == "--version") return std::fputs("qeltool " QEL_VERSION "\n", stdout), 0;
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "dump") return qel::Dump(args);
  if (command == "pack") return qel::Pack(args);
  if (command == "state") return qel::State(args);
  if (command == "lint") return qel::Lint(args);
  if (command == "archive") return RunArchiveCommand(argc - 1, argv + 1);
  if (command == "font") return RunFontCommand(argc - 1, argv + 1);
  return qel::Usage();
}
