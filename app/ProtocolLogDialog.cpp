#include "app/ProtocolLogDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "files/SaveFile.h"
#include "page/PbFileCommands.h"
#include "ui/DialogUnits.h"
#include "ui/Modal.h"

namespace numora {

ProtocolLogDialog::ProtocolLogDialog(ProtocolLog& log, QWidget* parent)
    : QDialog(parent), m_log(log) {
    setWindowTitle(QStringLiteral("Protocol Log"));
    setObjectName(QStringLiteral("protocolLog"));
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setMaximumBlockCount(0);
    m_count = new QLabel(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, this);
    connect(buttons->button(QDialogButtonBox::Save), &QPushButton::clicked, this,
            &ProtocolLogDialog::OnSave);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_count);
    layout->addWidget(buttons);
    ResizeWithinScreen(*this, QSize(900, 500));
    Reload();
    m_log.SetOnLine([this](const ProtocolLog::Line& line) { Append(line); });
}

ProtocolLogDialog::~ProtocolLogDialog() {
    m_log.SetOnLine({});
}

void ProtocolLogDialog::Reload() {
    QString text = QString::fromStdString(m_log.Text());
    if (text.endsWith('\n')) text.chop(1);
    m_text->setPlainText(text);
    m_count->setText(QStringLiteral("%1 frame(s) in the last run").arg(m_log.Lines().size()));
}

void ProtocolLogDialog::Append(const ProtocolLog::Line& line) {
    // A new run starts the log afresh.
    if (m_log.Lines().size() == 1) m_text->clear();
    m_text->appendPlainText(QString::fromStdString(m_log.FormatLine(line)));
    m_count->setText(QStringLiteral("%1 frame(s) in the last run").arg(m_log.Lines().size()));
}

QString ProtocolLogDialog::Text() const {
    return m_text->toPlainText();
}

void ProtocolLogDialog::OnSave() {
    const QString path =
        m_choose ? m_choose(this)
                 : QFileDialog::getSaveFileName(this, QStringLiteral("Save Protocol Log"),
                                                QStringLiteral("protocol-log.txt"),
                                                QStringLiteral("Text (*.txt)"));
    if (path.isEmpty()) return;
    const std::string text = m_log.Text();
    if (QString why; !SaveFileAtomically(
            path, QByteArrayView(text.data(), static_cast<qsizetype>(text.size())), &why)) {
        ShowFileFailure(this, kFileSaveFailed, path, why);
    }
}

}  // namespace numora
