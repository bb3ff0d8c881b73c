// The phone-book files of "File Open" and "File Save" on the desktop: the path comes from the
// standard file dialog (or from a chooser a test hands in); bytes are read with QFile and saved
// with SaveFileAtomically.
#pragma once

#include <QFile>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "book/PbFileCommands.h"

namespace numora {

class QtFileAccess : public IFileAccess {
public:
    // Asked for a path to open (save false) or to save to (save true); nothing on Cancel.
    using Chooser = std::function<std::optional<QString>(bool save)>;

    explicit QtFileAccess(QWidget* parent, Chooser chooser = {});

    std::optional<std::string> ChooseOpenPath() override;
    std::optional<std::string> ChooseSavePath() override;
    ReadResult ReadAll(const std::string& path, std::vector<uint8_t>& bytes) override;
    bool Save(const std::string& path, std::span<const uint8_t> bytes,
              FileReaders readers) override;

private:
    std::optional<QString> AskDialog(bool save);

    QPointer<QWidget> m_parent;
    Chooser m_chooser;
};

}  // namespace numora
