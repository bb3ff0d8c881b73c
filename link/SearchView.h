// What the port search shows while it looks for the handset.
#pragma once

#include "book/Progress.h"

namespace numora {

class ISearchView : public virtual IProgress {
public:
    // The port search dialog's status line; codes 0 to 3 (LinkState).
    virtual void PortStatus(int code, int port) = 0;
    // The handset answered: the search dialog goes, the run's progress goes on.
    virtual void CloseSearchDialog() = 0;
};

}  // namespace numora
