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
#include <utility>

#include "page/PbFileCommands.h"

namespace numora {

class QtFileAccess : public FileAccess {
public:
    // Asked for a path to open (save false) or to save to (save true); nothing on Cancel.
    using Chooser = std::function<std::optional<QString>(bool save)>;

    explicit QtFileAccess(QWidget* parent, Chooser chooser = {});

    std::optional<std::string> ChooseOpenPath() override;
    std::optional<std::string> ChooseSavePath() override;
    ReadResult ReadAll(const std::string& path, std::vector<uint8_t>& bytes) override;
    bool Save(const std::string& path, std::span<const uint8_t> bytes,
              FileReaders readers) override;
    // The path and the system's reason of the last read or save that failed, once; nothing
    // when the last one did not fail or said nothing more than its result.
    std::optional<std::pair<QString, QString>> TakeFailure();

private:
    std::optional<QString> AskDialog(bool save);
    bool Fail(const std::string& path, const QString& why);

    QPointer<QWidget> m_parent;
    Chooser m_chooser;
    std::optional<std::pair<QString, QString>> m_failure;
};

}  // namespace numora
