#include "shell/notices.h"

#include <algorithm>

#include "render/overlay_text.h"

namespace qel {

void Notices::Show(std::string utf8, double seconds, Clock::time_point now) {
  const auto span = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(0.0, seconds)));
  notices_.push_back({std::move(utf8), now + span});
}

bool Notices::Active(Clock::time_point now) {
  std::erase_if(notices_, [now](const Notice& n) { return n.until <= now; });
  return !notices_.empty();
}

void Notices::Draw(TGfx2D& canvas, OverlayText& text, int width, int height) const {
  if (notices_.empty()) return;
  const size_t cells = static_cast<size_t>(std::max(1, (width - 40) / std::max(1, text.CharWidth())));
  std::vector<OverlayLine> lines;
  for (const Notice& n : notices_) lines.push_back({OverlayText::Fit(n.text, cells)});
  const OverlayStyle style{0xFFFFFFFFu, 0xE0203040u, 0xFFA0B0C0u, 6};
  const TGfxRect box = text.Measure(0, 0, lines, style);
  text.DrawBox(canvas, (width - box.Width()) / 2, height - box.Height() - 24, lines, style);
}

}  // namespace qel
