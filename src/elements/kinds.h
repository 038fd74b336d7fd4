#pragma once
// The element kinds besides the root. Each carries its published fields with
// their constructor defaults; behaviour that needs the image cache, fonts,
// particle files or animation playback arrives with those subsystems, until
// then the setters store their values.
#include "elements/element.h"
#include "elements/picture_ref.h"

namespace qel {

class TGfxCanvas;
class TGfxFont;
class TGfxImage;
class FrameTable;
class TXParticleSystem;

enum TQelPosHor : int32_t { phLeft, phCenter, phRight };
enum TQelPosVert : int32_t { pvTop, pvCenter, pvBottom };
enum TQelShapeType : int32_t { stBox, stCircle };

// An ARGB colour seen as two published properties: the low 24 bits and the alpha byte.
inline uint32_t ColorRgb(uint32_t argb) { return argb & 0xFFFFFF; }
inline uint32_t ColorAlpha(uint32_t argb) { return argb >> 24; }
inline uint32_t WithRgb(uint32_t argb, uint32_t rgb) { return (argb & 0xFF000000u) | (rgb & 0xFFFFFF); }
inline uint32_t WithAlpha(uint32_t argb, uint32_t a) { return (argb & 0xFFFFFF) | ((a & 0xFF) << 24); }

// Values kept in thousandths so that they hold three decimals.
int32_t ToThousandths(double v);

// Kinds whose size is a pair of plain stored values.
class TSizedElement : public TQelElement {
 public:
  int32_t GetSizeX() const override { return SizeX; }
  int32_t GetSizeY() const override { return SizeY; }
  void SetSizeX(int32_t v) override { SizeX = v; }
  void SetSizeY(int32_t v) override { SizeY = v; }

  int32_t SizeX = 0, SizeY = 0;
};

class TQelScreen : public TSizedElement {
 public:
  TQelScreen();
  const ElementClass& Class() const override;
  TQelElement* ElementAt(int32_t layer, int32_t x, int32_t y, int32_t margin, int32_t threshold) override;
  void Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) override;
  void SetImBack(std::string_view name);

  uint32_t hxDrawFx = 1;
  int32_t Agro = 0;
  bool Modal = false;
  bool AllwaysLoad = false;
  PictureRef Background;
};

class TQelExScreen : public TQelElement {
 public:
  TQelExScreen();
  const ElementClass& Class() const override;
  void SetVis(bool value) override;
  int32_t GetAbsX() const override;
  int32_t GetAbsY() const override;
  int32_t GetSizeX() const override;
  int32_t GetSizeY() const override;
  TQelElement* ElementAt(int32_t layer, int32_t x, int32_t y, int32_t margin, int32_t threshold) override;
  void Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) override;
  void Process() override;
  void Show() override;
  void Update() override;
  void Init() override;
  void ReInit() override;
  void LoadRes() override;
  void ReloadRes() override;
  // The top-level screen whose Key is obScreen, looked up again after a change.
  TQelScreen* ResolveScreen();
  void SetObScreen(int32_t key);
  // X and Y moved by the anchor against the referenced screen's size.
  int32_t AlignedX();
  int32_t AlignedY();

  int32_t PosHor = phLeft;
  int32_t PosVert = pvTop;
  int32_t obScreen = 0;
  bool Modal = false;
  bool Processing = true;

 private:
  ElementRef screen_ = 0;
  bool busy_ = false;
};

class TQelImage : public TQelElement {
 public:
  TQelImage();
  const ElementClass& Class() const override;
  int32_t GetAbsX() const override;
  int32_t GetAbsY() const override;
  int32_t GetSizeX() const override;
  int32_t GetSizeY() const override;
  TQelElement* ElementAt(int32_t layer, int32_t x, int32_t y, int32_t margin, int32_t threshold) override;
  void Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) override;
  void SetImImage(std::string_view name);
  void SetTextId(std::string_view key);
  // The picture while it is loaded; nil otherwise.
  const TGfxImage* Picture() const;

  uint32_t hxDrawFx = 1284;
  int32_t PosHor = phLeft;
  int32_t PosVert = pvTop;
  int32_t ScaleMilli = 1000;
  int32_t AngleMilli = 0;
  int32_t Anim = 0;
  double ScaleX = 1.0, ScaleY = 1.0;
  bool Interpol = true, InterpolSc = true;
  ByteString TextId;
  uint32_t Color = 0xFFFFFFFFu;
  PictureRef Image;
};

class TQelShape : public TSizedElement {
 public:
  TQelShape();
  ~TQelShape() override;
  const ElementClass& Class() const override;
  TQelElement* ElementAt(int32_t layer, int32_t x, int32_t y, int32_t margin, int32_t threshold) override;
  void Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) override;

  uint32_t hxDrawFx = 1284;
  uint32_t Color = 0xFFFFFFFFu;
  bool Crop = false;
  int32_t ShapeType = stBox;
  double Par1 = 0, Par2 = 0, Par3 = 0;
  TGfxImage* PieTexture = nullptr;  // in the texture list; made on the first pie drawn

 private:
  void DrawPie(TGfxCanvas& canvas, int64_t left, int64_t top);
};

class TQelText : public TSizedElement {
 public:
  TQelText();
  ~TQelText() override;
  const ElementClass& Class() const override;
  std::optional<double> TextWidthForScripts() const override;
  bool GetValue(const ByteString& name, Variant& value) override;
  bool NamedByBase(const ByteString& name) const override { return name != "TEXTSZ"; }
  TQelElement* ElementAt(int32_t layer, int32_t x, int32_t y, int32_t margin, int32_t threshold) override;
  void Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) override;
  void SetSizeX(int32_t v) override { SizeX = v; Relayout(); }
  // Setters that lay the text out again.
  void SetText(std::string_view value);
  void SetFont(std::string_view name);
  void SetTextId(std::string_view key);
  void Relayout();
  // The font named by Font while it is in the font list.
  TGfxFont* CurrentFont() const;

  uint32_t hxDrawFx = 1284;
  uint32_t Color1 = 0xFFFFFFFFu;
  uint32_t Color2 = 0;
  ByteString Text;
  int32_t PosHor = phLeft;
  int32_t PosVert = pvTop;
  ByteString Font;
  bool EnEnter = false, AutoScale = false, AutoEnter = false;
  double Interval = 0;
  ByteString TextId;
  double Scale = 1.0;
  uint32_t hxShadColor = 0;
  bool Emboss = false, Shadow = false, Uni = false;
  ByteString Layout;  // lines ending with byte 0 (or the text itself without markers)
  TGfxImage* SystemTexture = nullptr;  // the system-font rendering, in the texture list
  ByteString LastRendered;

 private:
  bool UnicodeText() const;
  // Texts of unicode games that take typed characters or ask for it are drawn
  // with the unicode TrueType font instead of glyphs.
  bool TrueTypePath() const;
  double LineWidth(const TGfxFont& font, std::string_view line) const;
  // Where the caret stands: after the last character drawn, as high as its line.
  struct CaretSpot {
    double x = 0, y = 0, height = 0;
  };
  CaretSpot DrawLines(TGfxCanvas& canvas, TGfxFont& font, double offsetX, double offsetY);
  void DrawLine(TGfxCanvas& canvas, TGfxFont& font, std::string_view line, double x, double y);
  CaretSpot DrawTrueType(TGfxCanvas& canvas, TGfxFont& font, double offsetX, double offsetY);
  bool CaretShown() const;
  void DrawCaret(TGfxCanvas& canvas, const CaretSpot& spot) const;
  TGfxFont* font_ = nullptr;
  int systemW_ = 0, systemH_ = 0;  // size of the TrueType rendering
  int64_t caretSince_ = 0;         // frame tick the caret's blink starts from
};

class TQelImList : public TSizedElement {
 public:
  TQelImList();
  const ElementClass& Class() const override;
  bool GetValue(const ByteString& name, Variant& value) override;
  bool KeywordName(const ByteString& name) const override;
  bool SetValue(const ByteString& name, const Variant& value) override;
  bool MayTakeValue(const ByteString& name) const override;
  TQelElement* ElementAt(int32_t layer, int32_t x, int32_t y, int32_t margin, int32_t threshold) override;
  void Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) override;
  void Process() override;
  void DoMouseIn() override;
  void DoMouseOut() override;
  void DoMouseDown() override;
  void LoadRes() override;
  void ReloadRes() override;
  void SetSizeX(int32_t v) override;
  void SetSizeY(int32_t v) override;
  void SetRowCount(int32_t v);
  void SetColCount(int32_t v);
  void SetSpace(int32_t v);

  struct Entry {
    ElementRef image = 0;  // not owned; a destroyed image reads as nil
    double zoom = 1.0;
  };
  void AddEntry(TQelElement* image);
  void RemoveEntry(TQelElement* image);
  void RemoveEntryById(const ByteString& id);
  // Cell size of the grid: what fits of SizeX/SizeY after the gaps.
  int32_t ElWidth() const;
  int32_t ElHeight() const;
  int32_t ScrollPos() const { return ScrollRow * ColCount; }
  void SetScrollPos(int32_t index);

  std::vector<Entry> Entries;
  int32_t RowCount = 0, ColCount = 0;
  int32_t Space = 0;
  int32_t ScrollRow = 0;
  int32_t Selected = -1;
  double Scale = 0;
};

class TQelEffect : public TQelElement {
 public:
  TQelEffect();
  ~TQelEffect() override;
  const ElementClass& Class() const override;
  void SetX(double value) override;
  void SetY(double value) override;
  void SetPos(int32_t x, int32_t y) override;
  void Process() override;
  void Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) override;
  void SetEffectFN(const ByteString& name);
  void SetActive(bool value);
  void EffectStart();
  void EffectStop();
  // Advances the particles by dt seconds (ProcEf of scripts).
  void Step(double dt);
  TXParticleSystem* System() const { return system_.get(); }

  ByteString EffectFN;
  double DAnim = 0;
  bool Active = false;
  uint32_t hxColor = 0xFFFFFF;
  EventScript exStart;

 private:
  std::unique_ptr<TXParticleSystem> system_;
};

class TQelAnim : public TSizedElement {
 public:
  TQelAnim();
  ~TQelAnim() override;
  const ElementClass& Class() const override;
  // An animation never takes the mouse.
  TQelElement* ElementAt(int32_t, int32_t, int32_t, int32_t, int32_t) override { return nullptr; }
  void Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) override;
  void Process() override;
  void Update() override;
  void Init() override;
  void ReInit() override;
  void LoadRes() override;
  void ReloadRes() override;
  bool GetValue(const ByteString& name, Variant& value) override;
  bool KeywordName(const ByteString& name) const override;
  void SetPosition(int32_t v);  // the Pos setter: bounded by the frame count
  void SetMorph(bool v);
  void SetImBack(std::string_view name);
  void RebuildFrames();
  void DrawFrame(int32_t index, uint32_t colour, double x, double y);
  int32_t FrameCount() const;
  const FrameTable* Frames() const { return frames_.get(); }
  // AnimStart and AnimPlay of scripts.
  void Start();
  void Play();

  PictureRef Background;  // ImBack
  uint32_t hxDrawFx = 1;
  int32_t Agro = 0;
  bool Modal = false;
  int32_t Pos = 0;
  bool Morph = false, Rep = false, ShowAn = false, Active = false;
  EventScript exStop, exStart, exAnim;
  double Angle = 0;
  bool Interpol = false;

 private:
  std::unique_ptr<FrameTable> frames_;
};

class TQelAnKey : public TQelElement {
 public:
  TQelAnKey();
  const ElementClass& Class() const override;
  int32_t GetSizeX() const override { return Parent() ? Parent()->GetSizeX() : 0; }
  int32_t GetSizeY() const override { return Parent() ? Parent()->GetSizeY() : 0; }
  bool LoadFromData(std::string_view data, bool keepKeys) override;
  void SetCount(uint16_t v);

  uint16_t Count = 0;
  bool Morph = false;
};

class TQelExAnim : public TQelElement {
 public:
  TQelExAnim();
  const ElementClass& Class() const override;
  int32_t GetAbsX() const override;
  int32_t GetAbsY() const override;
  int32_t GetSizeX() const override;
  int32_t GetSizeY() const override;
  void Render(int32_t layer, uint32_t colour, double offsetX, double offsetY, int32_t flags) override;
  void Process() override;
  void SetPosition(int32_t v);
  void SetObAnim(int32_t v);
  // The top-level animation whose Key is obAnim, looked up once.
  TQelAnim* Animation() const;

  int32_t PosHor = phLeft;
  int32_t PosVert = pvTop;
  int32_t obAnim = 0;
  int32_t Pos = 0;
  bool Rep = false, Active = false;

 private:
  mutable ElementRef resolved_ = 0;
};

}  // namespace qel
