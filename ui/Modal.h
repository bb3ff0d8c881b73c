// How the window runs its modal dialogs and shows its message boxes. The program shows them on
// the screen; the window tests install their own runner, which drives the real dialog widgets
// and reads the messages without a nested event loop.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>

class QDialog;
class QWidget;

namespace numora {

// The application title, the caption of every message box.
inline constexpr const char* kAppTitle = "KXT-5507 Phone Book";

class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    // Runs the dialog modally; QDialog::Accepted or QDialog::Rejected.
    virtual int Run(QDialog& dialog) = 0;
    // A message box with an OK button, captioned with the application title.
    virtual void Message(QWidget* parent, const QString& text) = 0;
    // A question with Yes and No buttons, captioned with the application title; true for Yes.
    [[nodiscard]] virtual bool Ask(QWidget* parent, const QString& text) = 0;
    // A question with a button for each choice and Cancel; the choice's index, or nothing for
    // Cancel (and Escape).
    [[nodiscard]] virtual std::optional<int> Choose(QWidget* parent, const QString& text,
                                                    const QStringList& choices) = 0;
};

// The runner in use; nullptr restores the one that shows dialogs on the screen.
void SetModalRunner(ModalRunner* runner);
ModalRunner& CurrentModalRunner();

int RunModal(QDialog& dialog);
void ShowMessage(QWidget* parent, std::string_view text);
[[nodiscard]] bool AskQuestion(QWidget* parent, std::string_view text);
[[nodiscard]] std::optional<int> AskChoice(QWidget* parent, std::string_view text,
                                           const QStringList& choices);

// Texts are single-byte: each byte is the Latin-1 character of its value.
inline QString FromBytes(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
std::string ToBytes(const QString& text);

// A file that could not be read or saved: the system's message ("File save failed!"), then the
// file's name and the reason the system gave.
void ShowFileFailure(QWidget* parent, std::string_view failed, const QString& path,
                     const QString& why);
[[nodiscard]] QString FileFailureText(std::string_view failed, const QString& path,
                                      const QString& why);

}  // namespace numora
