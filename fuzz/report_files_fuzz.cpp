// The text files of a bug report (recording.txt, report.txt, start/files.txt):
// whatever they hold is read or skipped, and what is read writes back to text
// that reads as the same.
#include <cstdlib>

#include "fuzz_support.h"
#include "shell/recording.h"
#include "shell/report_info.h"
#include "shell/start_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = qel::fuzz::AsView(data, size);

  const qel::Recording rec = qel::ParseRecording(text);
  std::string entries, clock;
  for (const qel::RecordEntry& e : rec.entries) entries += qel::FormatEntry(e) + "\n";
  for (const qel::ClockReading& c : rec.clock) clock += qel::FormatClock(c) + "\n";
  const qel::Recording entriesBack = qel::ParseRecording(entries), clockBack = qel::ParseRecording(clock);
  if (!(entriesBack.entries == rec.entries) || !entriesBack.problems.empty()) std::abort();
  if (clockBack.clock.size() != rec.clock.size() || !clockBack.problems.empty()) std::abort();
  for (size_t i = 0; i < rec.clock.size(); ++i) {
    // NaN is never equal to itself; compare its text instead.
    const bool same = clockBack.clock[i] == rec.clock[i] ||
                      qel::FormatClock(clockBack.clock[i]) == qel::FormatClock(rec.clock[i]);
    if (!same) std::abort();
  }

  const qel::ReportInfo info = qel::ParseReportInfo(text);
  const std::string lines = qel::FormatStartLines(info) + qel::FormatReportLines(info);
  const qel::ReportInfo infoBack = qel::ParseReportInfo(lines);
  if (qel::FormatStartLines(infoBack) + qel::FormatReportLines(infoBack) != lines) std::abort();

  const auto files = qel::ParseStartManifest(text);
  if (!(qel::ParseStartManifest(qel::FormatStartManifest(files)) == files)) std::abort();
  return 0;
}
