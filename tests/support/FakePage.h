// A page for the tests of the port search and the engine: the book page's fake, and the search
// dialog's status lines.
#pragma once

#include <string>
#include <vector>

#include "support/FakeBookPage.h"
#include "sync/PhoneSession.h"

namespace numora::test {

class FakePage : public FakeBookPage, public SessionView {
public:
    void ShowSelectedEntry() override { calls.push_back("ShowSelectedEntry"); }
    void PortStatus(LinkState state, int port) override {
        statuses.push_back(std::to_string(static_cast<int>(state)) + ":" + std::to_string(port));
    }
    void CloseSearchDialog() override { calls.push_back("CloseSearchDialog"); }

    std::vector<std::string> statuses;
};

}  // namespace numora::test
