// Discovery of handset modems through the operating system's own device registry, where it has
// one that names them. Plain C++: the platform's interfaces, no Qt.
#pragma once

#include "link/PortSearch.h"

namespace numora {

// On Windows: the COM ports of present devices with the handset modem driver's device interface,
// each found by the device's friendly name under the modem class key ("AttachedTo") and marked
// when it opens now (the test open closes it at once). Errors only leave fewer ports marked.
PortTable DiscoverRegisteredHandsetPorts();

}  // namespace numora
