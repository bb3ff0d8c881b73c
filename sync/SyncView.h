// What the engine needs from the page it reads into and writes from, besides what every long
// operation on the book needs.
#pragma once

#include "page/BookView.h"

namespace numora {

class SyncView : public virtual BookView {
public:
    virtual void ShowSelectedEntry() = 0;
};

}  // namespace numora
