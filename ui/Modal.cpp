#include "ui/Modal.h"

#include <QDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <string>
#include <vector>

namespace numora {

namespace {

// A short message would make a box too narrow for its caption, and the title bar would cut the
// application's name: the box is kept as wide as the caption with the title bar's buttons.
void WidenForCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) return;
    QFont bold = box.font();
    bold.setBold(true);
    const QFontMetrics fm(bold);
    const int width = fm.horizontalAdvance(box.windowTitle()) + 8 * fm.height();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

class ScreenRunner : public ModalRunner {
public:
    int Run(QDialog& dialog) override { return dialog.exec(); }
    void Message(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kAppTitle), text, QMessageBox::Ok,
                        parent);
        WidenForCaption(box);
        box.exec();
    }
    bool Ask(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Question, QString::fromLatin1(kAppTitle), text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(QMessageBox::No);
        WidenForCaption(box);
        return box.exec() == QMessageBox::Yes;
    }
    std::optional<int> Choose(QWidget* parent, const QString& text,
                              const QStringList& choices) override {
        QMessageBox box(QMessageBox::Question, QString::fromLatin1(kAppTitle), text,
                        QMessageBox::NoButton, parent);
        std::vector<QAbstractButton*> buttons;
        for (const QString& choice : choices)
            buttons.push_back(box.addButton(choice, QMessageBox::AcceptRole));
        box.setEscapeButton(box.addButton(QMessageBox::Cancel));
        if (!buttons.empty()) box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
        WidenForCaption(box);
        box.exec();
        for (std::size_t k = 0; k < buttons.size(); ++k) {
            if (box.clickedButton() == buttons[k]) return static_cast<int>(k);
        }
        return std::nullopt;
    }
};

ScreenRunner g_screenRunner;
ModalRunner* g_runner = &g_screenRunner;

}  // namespace

void SetModalRunner(ModalRunner* runner) {
    g_runner = runner != nullptr ? runner : &g_screenRunner;
}

ModalRunner& CurrentModalRunner() {
    return *g_runner;
}

int RunModal(QDialog& dialog) {
    return g_runner->Run(dialog);
}

void ShowMessage(QWidget* parent, std::string_view text) {
    g_runner->Message(parent, FromBytes(text));
}

bool AskQuestion(QWidget* parent, std::string_view text) {
    return g_runner->Ask(parent, FromBytes(text));
}

std::optional<int> AskChoice(QWidget* parent, std::string_view text, const QStringList& choices) {
    return g_runner->Choose(parent, FromBytes(text), choices);
}

QString FileFailureText(std::string_view failed, const QString& path, const QString& why) {
    return FromBytes(failed) + QStringLiteral("\n\n%1: %2.").arg(QFileInfo(path).fileName(), why);
}

void ShowFileFailure(QWidget* parent, std::string_view failed, const QString& path,
                     const QString& why) {
    g_runner->Message(parent, FileFailureText(failed, path, why));
}

std::string ToBytes(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace numora
