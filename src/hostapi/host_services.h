#pragma once
// What the library's host functions read from outside the interpreter: the
// clock behind Now, Date and Time, and the locale's date formats and names.
// The owner of the interpreters keeps both alive as long as they are used.
#include "hostapi/clock.h"
#include "hostapi/locale_settings.h"

namespace qel {

struct HostServices {
  const Clock* clock = nullptr;
  const LocaleSettings* locale = nullptr;
};

// The system clock and the process locale, made on first use and never
// changed afterwards.
const HostServices& DefaultHostServices();

}  // namespace qel
