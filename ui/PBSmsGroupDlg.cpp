#include "ui/PBSmsGroupDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/DialogUnits.h"
#include "ui/Modal.h"
#include "ui/PBListCtrl.h"

namespace numora {

namespace {

constexpr int kColName = 1;

}  // namespace

CPBSmsGroupEditDlg::CPBSmsGroupEditDlg(int groupId, const QString& name, QWidget* parent)
    : QDialog(parent),
      m_nGroupId(groupId),
      m_strName(name),
      m_idEdit(new QLineEdit(this)),
      m_nameEdit(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Phone Book SMS Group Edit"));
    setObjectName(QStringLiteral("smsGroupEditDialog"));
    const CDialogUnits du(font());
    setFixedSize(du.Size(187, 89));
    auto* idLabel = new QLabel(QStringLiteral("Group Id"), this);
    idLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    du.PlaceLabel(idLabel, 13, 21, 41, 9);
    du.Place(m_idEdit, 63, 17, 105, 15);
    m_idEdit->setReadOnly(true);
    m_idEdit->setObjectName(QStringLiteral("groupId"));
    auto* nameLabel = new QLabel(QStringLiteral("Group Name"), this);
    nameLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    du.PlaceLabel(nameLabel, 12, 37, 46, 11);
    du.Place(m_nameEdit, 62, 36, 106, 16);
    m_nameEdit->setObjectName(QStringLiteral("groupName"));
    m_nameEdit->setMaxLength(kNameLen);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    du.Place(ok, 36, 68, 40, 16);
    ok->setDefault(true);
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    du.Place(cancel, 110, 67, 39, 17);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &CPBSmsGroupEditDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CPBSmsGroupEditDlg::reject);

    m_idEdit->setText(QString::number(m_nGroupId));
    m_nameEdit->setText(m_strName);
    m_nameEdit->setFocus();
}

void CPBSmsGroupEditDlg::accept() {
    m_strName = m_nameEdit->text();
    if (m_strName.isEmpty()) {
        m_nameEdit->setFocus();
        ShowMessage(this, kEnterSmsGroupName);
        return;
    }
    QDialog::accept();
}

CPBSmsGroupListDlg::CPBSmsGroupListDlg(CPBData* book, QWidget* parent)
    : QDialog(parent), m_pBook(book), m_list(new CPBListCtrl(this)) {
    setWindowTitle(QStringLiteral("Phone Book SMS Group List"));
    setObjectName(QStringLiteral("smsGroupListDialog"));
    const CDialogUnits du(font());
    setFixedSize(du.Size(190, 98));
    du.Place(m_list, 7, 6, 174, 68);
    m_list->setObjectName(QStringLiteral("smsGroupList"));
    auto* edit = new QPushButton(QStringLiteral("Edit"), this);
    du.Place(edit, 7, 76, 39, 15);
    edit->setObjectName(QStringLiteral("edit"));
    // Enter edits the selected SMS group.
    edit->setDefault(true);
    auto* del = new QPushButton(QStringLiteral("Delete"), this);
    du.Place(del, 55, 76, 40, 15);
    del->setObjectName(QStringLiteral("delete"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    du.Place(ok, 135, 77, 46, 14);
    ok->setObjectName(QStringLiteral("ok"));
    connect(edit, &QPushButton::clicked, this, &CPBSmsGroupListDlg::OnEdit);
    connect(del, &QPushButton::clicked, this, &CPBSmsGroupListDlg::OnDelete);
    connect(ok, &QPushButton::clicked, this, &CPBSmsGroupListDlg::accept);

    m_list->InsertColumn(0, QStringLiteral("#"), 30);
    m_list->InsertColumn(1, QStringLiteral("Name"), 220);
    for (int k = 0; k < kSmsGroupSlots; ++k)
        m_list->SetCell(k, 0, QString::asprintf("%2d ", k));
    m_list->SetHighlight(CPBListCtrl::kAllColumns);
    m_list->SetNotifyWindow(this);
    connect(m_list, &CPBListCtrl::listDblClk, this, &CPBSmsGroupListDlg::OnEdit);
    if (m_pBook == nullptr) return;
    for (int k = 0; k < kSmsGroupSlots; ++k) {
        PBSmsGroup s;
        if (m_pBook->GetSmsGroup(k, s) != 0)
            m_list->SetCell(k, kColName, FromBytes(TextOf(s.name)));
    }
}

void CPBSmsGroupListDlg::OnEdit() {
    const int k = m_list->GetSelectedItem();
    CPBSmsGroupEditDlg edit(k, m_list->CellText(k, kColName).left(kNameLen), this);
    if (RunModal(edit) != QDialog::Accepted) return;
    m_list->SetCell(k, kColName, edit.m_strName);
    if (m_pBook != nullptr) m_pBook->SetSmsGroupName(k, ToBytes(edit.m_strName));
}

void CPBSmsGroupListDlg::OnDelete() {
    const int k = m_list->GetSelectedItem();
    if (m_pBook != nullptr) m_pBook->DeleteSmsGroup(k);
    m_list->SetCell(k, kColName, QString());
}

}  // namespace numora
