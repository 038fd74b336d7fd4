#include "shell/inspector.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "elements/element.h"
#include "elements/kinds.h"
#include "elements/particles.h"
#include "elements/qel_db.h"
#include "elements/system_text.h"
#include "gamedb/image_cache.h"
#include "render/gfx_canvas.h"

namespace qel {

namespace {

constexpr size_t kKeptErrors = 20;
constexpr size_t kCells = 64;  // widest line of a panel, in characters
constexpr int kMargin = 8;
constexpr uint32_t kHeading = 0xFF9AD0FFu;
constexpr uint32_t kElement = 0xFFFFE066u;
constexpr uint32_t kErrorColour = 0xFFFF7A6Au;
constexpr uint32_t kDim = 0xFFA8B0B8u;

constexpr const char* kEventNames[kEventSlots] = {"exMouseMove", "exInit",     "exMouseUp", "exVarRS",
                                                  "exMouseOut",  "exMouseIn",  "exAfterLoad", "exMouseDown",
                                                  "exUpdate",    "exProcess",  "exShow",    "exRender"};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

std::string Named(const TQelElement* e) {
  return e ? ShownText(e->Id()) + " <" + e->ClassName() + " #" + std::to_string(e->Key) + ">" : "none";
}

std::string Placed(const TQelElement& e) {
  return Format("at %d,%d  size %dx%d", e.GetAbsX(), e.GetAbsY(), e.GetSizeX(), e.GetSizeY());
}

int64_t LiveParticles(const TQelElement& root) {
  int64_t n = 0;
  std::vector<const TQelElement*> todo{&root};
  while (!todo.empty()) {
    const TQelElement* e = todo.back();
    todo.pop_back();
    if (const auto* effect = dynamic_cast<const TQelEffect*>(e); effect && effect->System())
      n += effect->System()->Count();
    for (const auto& child : e->Children()) todo.push_back(child.get());
  }
  return n;
}

void Outline(TGfx2D& canvas, const TQelElement& e) {
  const int x = e.GetAbsX(), y = e.GetAbsY(), w = e.GetSizeX(), h = e.GetSizeY();
  if (w > 0 && h > 0) {
    canvas.FrameRect(x - 1, y - 1, w + 2, h + 2, TColor4(0xC0000000u), fxBlend);
    canvas.FrameRect(x, y, w, h, TColor4(0xFFFFE000u), fxBlend);
    return;
  }
  // Nothing to outline: a cross at its place.
  canvas.FillRect(x - 6, y, 13, 1, TColor4(0xFFFFE000u), fxBlend);
  canvas.FillRect(x, y - 6, 1, 13, TColor4(0xFFFFE000u), fxBlend);
}

std::vector<OverlayLine> Fitted(std::vector<OverlayLine> lines) {
  for (OverlayLine& line : lines) line.text = OverlayText::Fit(line.text, kCells);
  return lines;
}

}  // namespace

std::string ShownText(const ByteString& text) {
  if (text.find('\x01') != ByteString::npos) return Utf16ToUtf8(DecodeEscaped(text));
  return Cp1251ToUtf8(text);
}

Inspector::Inspector(Runtime& runtime) : errors_(std::make_shared<ErrorLog>()) {
  runtime.scriptErrorListeners.push_back([log = errors_, &runtime](const ScriptErrorReport& r) {
    const TQelElement* running = runtime.Resolve(runtime.script.CurrentElement);
    InspectorError e;
    e.step = runtime.shell.FrameTick;
    e.path = running ? ShownText(running->Path()) : ShownText(r.place);
    e.event = ShownText(r.event);
    e.statement = ShownText(r.statement);
    e.message = ShownText(r.message);
    log->list.push_front(std::move(e));
    if (log->list.size() > kKeptErrors) log->list.pop_back();
    log->total += 1;
  });
}

int64_t Inspector::Particles(const TQelElement& root) {
  const auto now = std::chrono::steady_clock::now();
  if (now - particlesCounted_ >= std::chrono::milliseconds(250)) {
    particles_ = LiveParticles(root);
    particlesCounted_ = now;
  }
  return particles_;
}

std::vector<OverlayLine> Inspector::StatusLines(const InspectorView& v) const {
  std::vector<OverlayLine> lines;
  lines.push_back({"Inspector (Ctrl+Alt+I hides it)", kHeading});
  if (v.logoIndex >= 0) lines.push_back({Format("Start-up logo %d, step %d of it", v.logoIndex, v.logoFrame)});
  lines.push_back({"Screen  " + (v.screen ? ShownText(v.screen->Path()) + "  #" + std::to_string(v.screen->Key) : "none")});
  lines.push_back({"Loading screen  " + Named(v.loadingScreen) + (v.loading ? "  (switching now)" : "")});
  lines.push_back({Format("Step %lld   %.1f steps/s   %.1f frames/s", static_cast<long long>(v.step), v.rates.steps,
                          v.rates.frames)});
  lines.push_back({Format("CPU per frame: processing %.2f ms, rendering %.2f ms", v.rates.processMs, v.rates.renderMs)});
  if (v.images) {
    size_t loaded = 0;
    for (size_t i = 0; i < v.images->Count(); ++i) loaded += v.images->Entry(i)->texture != nullptr;
    const double mb = static_cast<double>(v.images->TotalBytes()) / (1024.0 * 1024.0);
    const double budget = v.root ? v.root->MaxMem / (1024.0 * 1024.0) : 0;
    lines.push_back({Format("Textures %.2f MB of %.0f MB, %zu pictures", mb, budget, loaded)});
  }
  if (v.root)
    lines.push_back({Format("Particles %lld   stars %d", static_cast<long long>(v.particles),
                            v.root->Stars().ActiveCount())});
  return Fitted(std::move(lines));
}

std::vector<OverlayLine> Inspector::ElementLines(const InspectorView& v) const {
  std::vector<OverlayLine> lines;
  const TQelElement* e = v.hovered;
  lines.push_back({Format("Under the mouse %d,%d%s", v.mouseX, v.mouseY, e ? "" : ": nothing"), kHeading});
  if (!e) return lines;
  lines.push_back({ShownText(e->Path()), kElement});
  lines.push_back({e->ClassName() + "  Key " + std::to_string(e->Key) + "  Order " + std::to_string(e->Order()) +
                   (e->Vis ? "" : "  hidden")});
  lines.push_back({Placed(*e) + Format("  (X %d, Y %d in its parent)", e->X(), e->Y())});
  for (const PropertyInfo& p : e->Class().properties)
    if (p.IsString() && p.upperName.rfind("IM", 0) == 0)
      if (const ByteString name = p.getString(*e); !name.empty()) lines.push_back({p.name + " " + ShownText(name)});
  std::string events;
  for (int slot = 0; slot < kEventSlots; ++slot)
    if (!e->Event(slot).source.empty()) events += std::string(events.empty() ? "" : " ") + kEventNames[slot];
  if (!events.empty()) lines.push_back({"Scripts " + events, kDim});
  if (e->Parent()) lines.push_back({"Parents", kHeading});
  for (const TQelElement* p = e->Parent(); p; p = p->Parent())
    lines.push_back({"  " + Named(p) + (p->Parent() ? "  " + Placed(*p) : "")});
  return Fitted(std::move(lines));
}

std::vector<OverlayLine> Inspector::ErrorLines(size_t count) const {
  std::vector<OverlayLine> lines;
  const ErrorLog& log = *errors_;
  if (log.list.empty()) return lines;
  lines.push_back({Format("Script errors: %zu, newest first", log.total), kHeading});
  for (size_t i = 0; i < log.list.size() && i < count; ++i) {
    const InspectorError& e = log.list[i];
    lines.push_back({Format("step %lld  ", static_cast<long long>(e.step)) + e.path + "  " + e.event, kErrorColour});
    lines.push_back({"  " + e.message});
    lines.push_back({"  in " + e.statement, kDim});
  }
  return Fitted(std::move(lines));
}

void Inspector::Draw(TGfx2D& canvas, OverlayText& text, const InspectorView& view, int width, int height) const {
  if (view.hovered) Outline(canvas, *view.hovered);
  std::vector<OverlayLine> top = StatusLines(view);
  top.push_back({""});
  for (OverlayLine& line : ElementLines(view)) top.push_back(std::move(line));
  // Panels keep to the half of the picture the mouse is not in.
  const bool left = view.mouseX >= width / 2;
  const int topWidth = text.Measure(0, 0, top).Width();
  const TGfxRect drawn = text.DrawBox(canvas, left ? kMargin : width - kMargin - topWidth, kMargin, top);

  // As many errors as fit below, three lines each after the heading.
  const int room = height - drawn.bottom - 2 * kMargin - 2 * OverlayStyle{}.padding;
  const int fit = room / text.LineHeight() - 1;
  if (fit < 3) return;
  const std::vector<OverlayLine> errors = ErrorLines(static_cast<size_t>(fit / 3));
  if (errors.empty()) return;
  const TGfxRect box = text.Measure(0, 0, errors);
  text.DrawBox(canvas, left ? kMargin : width - kMargin - box.Width(), height - kMargin - box.Height(), errors);
}

}  // namespace qel
