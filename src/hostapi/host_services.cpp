#include "hostapi/host_services.h"

namespace qel {

const HostServices& DefaultHostServices() {
  static const SystemClock clock;
  static const LocaleSettings locale = LocaleFromEnvironment();
  static const HostServices services{&clock, &locale};
  return services;
}

}  // namespace qel
