// What the port search shows while it looks for the handset.
#pragma once

#include <string>

#include "book/Progress.h"

namespace numora {

// How far the search has got with the port it is on.
enum class LinkState { Waiting, OpenFailed, Opened, Answered };

// The search dialog's status line for it (a port that failed to open shows the search going on).
[[nodiscard]] std::string PortStatusText(LinkState state, int port);

class SearchView : public virtual Progress {
public:
    // The port search dialog's status line (PortStatusText).
    virtual void PortStatus(LinkState state, int port) = 0;
    // The handset answered: the search dialog goes, the run's progress goes on.
    virtual void CloseSearchDialog() = 0;
};

}  // namespace numora
