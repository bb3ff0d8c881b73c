// What the engine needs from the page it reads into and writes from, besides what every long
// operation on the book needs.
#pragma once

#include <string>

#include "book/BookView.h"

namespace numora {

class ISyncView : public virtual IBookView {
public:
    virtual void ShowSelectedEntry() = 0;
    // Text of the list's "Group" column in a row, at most 16 characters.
    virtual std::string GroupColumnText(int row) const = 0;
};

}  // namespace numora
