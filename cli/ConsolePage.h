// The phone book page of the command-line tool: messages and a progress bar on stderr.
#pragma once

#include <filesystem>
#include <string>

#include "page/PbFileCommands.h"
#include "sync/PhoneSession.h"

namespace numora {

class ConsolePage : public SessionView, public FileView {
public:
    explicit ConsolePage(std::filesystem::path programFolder);

    // Completion messages are left out (failures always show); progress is drawn only when
    // asked for.
    void SetQuiet(bool quiet) { m_quiet = quiet; }
    void SetShowProgress(bool show) { m_showProgress = show; }
    void SetVerbose(bool verbose) { m_verbose = verbose; }

    void MessageBox(std::string_view text) override;
    void SetProgressRange(int lo, int hi) override;
    void SetProgressPos(int pos) override;
    int ProgressPos() const override { return m_pos; }
    // The tool has no controls to lock.
    void EnableControls(bool) override {}
    void ClearForm() override {}
    void ShowSelectedEntry() override {}
    void ShowBook(BookChange) override {}
    void PortStatus(LinkState state, int port) override;
    void CloseSearchDialog() override {}
    void DeleteWorkFile() override;

private:
    void DrawBar();

    std::filesystem::path m_programFolder;
    int m_lo = 0;
    int m_hi = 100;
    int m_pos = 0;
    int m_drawn = -1;
    bool m_quiet = false;
    bool m_showProgress = false;
    bool m_verbose = false;
};

}  // namespace numora
