// A page for the tests of the book's file commands: remembers every call, every message box and
// the progress bar.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "page/PbFileCommands.h"

namespace numora::test {

class FakeBookPage : public FileView {
public:
    void MessageBox(std::string_view text) override {
        messages.emplace_back(text);
        if (onMessage) onMessage(text);
    }
    void SetProgressRange(int lo, int hi) override {
        rangeLo = lo;
        rangeHi = hi;
    }
    void SetProgressPos(int pos) override {
        progress = pos;
        if (pos > maxProgress) maxProgress = pos;
        positions.push_back(pos);
    }
    int ProgressPos() const override { return progress; }
    void EnableControls(bool enable) override {
        enabled = enable;
        calls.push_back(enable ? "EnableControls(true)" : "EnableControls(false)");
    }
    void ClearForm() override { calls.push_back("ClearForm"); }
    void Repaint() override { calls.push_back("Repaint"); }
    void ShowBook(BookChange change) override {
        calls.push_back(change == BookChange::Entries  ? "ShowBook(Entries)"
                        : change == BookChange::Groups ? "ShowBook(Groups)"
                                                       : "ShowBook(Everything)");
    }
    void DeleteWorkFile() override {
        calls.push_back("DeleteWorkFile");
        ++workFileDeletes;
    }

    bool Called(const std::string& what) const {
        for (const auto& c : calls) {
            if (c == what) return true;
        }
        return false;
    }

    std::function<void(std::string_view)> onMessage;  // runs while the box would be up
    std::vector<std::string> messages;
    std::vector<std::string> calls;
    std::vector<int> positions;
    int rangeLo = 0;
    int rangeHi = 0;
    int progress = 0;
    int maxProgress = 0;
    int workFileDeletes = 0;
    bool enabled = true;
};

}  // namespace numora::test
