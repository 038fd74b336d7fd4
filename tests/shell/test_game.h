#pragma once
// Small games for the player's tests, written in the game file's text form.
#include <map>
#include <string>
#include <vector>

namespace qel::testgame {

// name -> value as the text form writes it; scripts are given as plain source.
using Values = std::map<std::string, std::string>;

inline std::string Script(const std::string& source) { return "<<<\n" + source + "\n>>>"; }
inline std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// A record listing every property of `order`, with the defaults given there
// unless `values` names them.
inline std::string Record(const std::string& cls, const std::vector<std::pair<std::string, std::string>>& order,
                          const Values& values, const std::string& children) {
  std::string text = cls + " {\n";
  for (const auto& [name, fallback] : order) {
    auto it = values.find(name);
    std::string v = it == values.end() ? fallback : it->second;
    if (name.rfind("ex", 0) == 0 && !v.empty() && v[0] != '"' && v[0] != '<') v = Script(v);
    text += "  " + name + " = " + v + "\n";
  }
  return text + children + "}\n";
}

inline std::string Root(const Values& v, const std::string& children) {
  return Record("TQelDB",
                {{"Key", "0"}, {"Id", "\"Test\""}, {"X", "0"}, {"Y", "0"}, {"Vis", "True"}, {"CurKey", "100"},
                 {"InitScreen", "1"}, {"exVarRS", "\"\""}, {"exInit", "\"\""}, {"exAfterLoad", "\"\""},
                 {"exMouseDown", "\"\""}, {"exMouseUp", "\"\""}, {"exUpdate", "\"\""}, {"exProcess", "\"\""},
                 {"FileRS", "\"\""}, {"FileFonts", "\"\""}, {"hxTransLev", "0"}, {"DefLang", "\"\""},
                 {"Lang", "\"\""}, {"LoadingScreen", "0"}, {"NotSave", "False"}, {"exLoadImProcess", "\"\""},
                 {"IniFile", "\"\""}, {"SoundFile", "\"\""}, {"exKeyDown", "\"\""}, {"exExit", "\"\""},
                 {"exMouseMove", "\"\""}, {"MaxMem", "67108864"}, {"exCheat", "\"\""}, {"Cheats", "\"\""},
                 {"SaveErr", "False"}, {"exSetScreen", "\"\""}, {"AlwaysLoadIm", "False"}},
                v, children);
}

inline std::string Screen(const Values& v, const std::string& children = "") {
  return Record("TQelScreen",
                {{"Key", "1"}, {"Id", "\"Room\""}, {"X", "0"}, {"Y", "0"}, {"Vis", "True"}, {"ImBack", "\"\""},
                 {"SizeX", "1024"}, {"SizeY", "768"}, {"hxDrawFx", "1"}, {"Agro", "0"}, {"Modal", "False"},
                 {"exInit", "\"\""}, {"exAfterLoad", "\"\""}, {"exUpdate", "\"\""}, {"exProcess", "\"\""},
                 {"Order", "0"}, {"exVarRS", "\"\""}, {"exShow", "\"\""}, {"Tag", "\"\""}, {"AllwaysLoad", "False"},
                 {"NotSave", "False"}, {"exRender", "\"\""}, {"AutoInit", "True"}},
                v, children);
}

// A filled box (layer Order), drawn in hxColor.
inline std::string Shape(const Values& v) {
  return Record("TQelShape",
                {{"Key", "50"}, {"Id", "\"Box\""}, {"X", "0"}, {"Y", "0"}, {"Vis", "True"}, {"hxDrawFx", "1"},
                 {"hxColor", "$FFFFFF"}, {"hxTrans", "255"}, {"MousedNotVis", "False"}, {"exVarRS", "\"\""},
                 {"exInit", "\"\""}, {"exAfterLoad", "\"\""}, {"exMouseIn", "\"\""}, {"exMouseOut", "\"\""},
                 {"exMouseMove", "\"\""}, {"exMouseDown", "\"\""}, {"exMouseUp", "\"\""}, {"exUpdate", "\"\""},
                 {"exProcess", "\"\""}, {"MousedVis", "True"}, {"NoMsQelDB", "False"}, {"Order", "1"},
                 {"rX", "0.0"}, {"rY", "0.0"}, {"SizeX", "100"}, {"SizeY", "100"}, {"Tag", "\"\""},
                 {"NotSave", "False"}, {"Crop", "False"}, {"ShapeType", "stBox"}, {"Par1", "0.0"}, {"Par2", "0.0"},
                 {"Par3", "0.0"}},
                v, "");
}

}  // namespace qel::testgame

namespace qel::testgame {

// A picture element showing imImage at (rX, rY), top-left aligned.
inline std::string Image(const Values& v) {
  return Record("TQelImage",
                {{"Key", "60"}, {"Id", "\"Pic\""}, {"X", "0"}, {"Y", "0"}, {"Vis", "True"}, {"imImage", "\"\""},
                 {"hxDrawFx", "1284"}, {"PosHor", "phLeft"}, {"PosVert", "pvTop"}, {"Scale", "1.0"},
                 {"Angle", "0.0"}, {"hxColor", "$FFFFFF"}, {"hxTrans", "255"}, {"MousedNotVis", "False"},
                 {"exVarRS", "\"\""}, {"exInit", "\"\""}, {"exAfterLoad", "\"\""}, {"exMouseIn", "\"\""},
                 {"exMouseOut", "\"\""}, {"exMouseMove", "\"\""}, {"exMouseDown", "\"\""}, {"exMouseUp", "\"\""},
                 {"exUpdate", "\"\""}, {"exProcess", "\"\""}, {"MousedVis", "True"}, {"Anim", "0"},
                 {"NoMsQelDB", "False"}, {"Order", "2"}, {"rX", "0.0"}, {"rY", "0.0"}, {"ScaleX", "1.0"},
                 {"ScaleY", "1.0"}, {"Interpol", "True"}, {"InterpolSc", "True"}, {"MsKeep", "False"},
                 {"Tag", "\"\""}, {"TextId", "\"\""}, {"NotSave", "False"}},
                v, "");
}

}  // namespace qel::testgame
