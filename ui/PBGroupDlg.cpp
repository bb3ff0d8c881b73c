#include "ui/PBGroupDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/DialogUnits.h"
#include "ui/Modal.h"
#include "ui/PBListCtrl.h"

namespace numora {

namespace {

constexpr int kColName = 1;

// Names of groups 0, 1, 2 and "Etc." are fixed by the handset.
bool IsFixedGroup(int g) {
    return g == 0 || g == 1 || g == 2 || g == kEtcGroup;
}

// Only the user's own groups 3 to 5 may be deleted.
bool IsDeletableGroup(int g) {
    return g >= 3 && g <= 5;
}

}  // namespace

CPBGroupEditDlg::CPBGroupEditDlg(int groupId, const QString& name, QWidget* parent)
    : QDialog(parent),
      m_nGroupId(groupId),
      m_strName(name),
      m_idEdit(new QLineEdit(this)),
      m_nameEdit(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Phone Book Group Edit"));
    setObjectName(QStringLiteral("groupEditDialog"));
    const CDialogUnits du(font());
    setFixedSize(du.Size(186, 96));
    auto* idLabel = new QLabel(QStringLiteral("Group ID"), this);
    idLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    du.PlaceLabel(idLabel, 7, 10, 42, 8);
    du.Place(m_idEdit, 53, 7, 126, 12);
    m_idEdit->setReadOnly(true);
    m_idEdit->setObjectName(QStringLiteral("groupId"));
    auto* nameLabel = new QLabel(QStringLiteral("Group Name"), this);
    nameLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    du.PlaceLabel(nameLabel, 7, 25, 42, 8);
    du.Place(m_nameEdit, 53, 22, 126, 12);
    m_nameEdit->setObjectName(QStringLiteral("groupName"));
    m_nameEdit->setMaxLength(kNameLen);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    du.Place(ok, 37, 75, 50, 18);
    ok->setDefault(true);
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    du.Place(cancel, 98, 75, 50, 18);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(ok, &QPushButton::clicked, this, &CPBGroupEditDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CPBGroupEditDlg::reject);

    m_idEdit->setText(QString::number(m_nGroupId));
    m_nameEdit->setText(m_strName);
    m_nameEdit->setReadOnly(IsFixedGroup(m_nGroupId));
    m_nameEdit->setFocus();
}

void CPBGroupEditDlg::accept() {
    m_strName = m_nameEdit->text();
    if (m_strName.isEmpty()) {
        ShowMessage(this, kEnterGroupName);
        return;
    }
    QDialog::accept();
}

CPBGroupListDlg::CPBGroupListDlg(CPBData* book, QWidget* parent)
    : QDialog(parent), m_pBook(book), m_list(new CPBListCtrl(this)) {
    setWindowTitle(QStringLiteral("Phone Book Group List"));
    setObjectName(QStringLiteral("groupListDialog"));
    const CDialogUnits du(font());
    setFixedSize(du.Size(155, 114));
    du.Place(m_list, 5, 7, 145, 80);
    m_list->setObjectName(QStringLiteral("groupList"));
    auto* edit = new QPushButton(QStringLiteral("Edit"), this);
    du.Place(edit, 6, 91, 30, 18);
    edit->setObjectName(QStringLiteral("edit"));
    auto* del = new QPushButton(QStringLiteral("Delete"), this);
    du.Place(del, 43, 91, 30, 18);
    del->setObjectName(QStringLiteral("delete"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    du.Place(ok, 110, 91, 40, 18);
    ok->setObjectName(QStringLiteral("ok"));
    // Enter closes the list.
    ok->setDefault(true);
    connect(edit, &QPushButton::clicked, this, &CPBGroupListDlg::OnEdit);
    connect(del, &QPushButton::clicked, this, &CPBGroupListDlg::OnDelete);
    connect(ok, &QPushButton::clicked, this, &CPBGroupListDlg::accept);

    m_list->InsertColumn(0, QStringLiteral("#"), 30);
    m_list->InsertColumn(1, QStringLiteral("Name"), 220);
    for (int k = 0; k < kGroupSlots; ++k)
        m_list->SetCell(k, 0, QString::asprintf("%2d ", k));
    m_list->SetHighlight(CPBListCtrl::kAllColumns);
    m_list->SetNotifyWindow(this);
    connect(m_list, &CPBListCtrl::listDblClk, this, &CPBGroupListDlg::OnEdit);
    if (m_pBook == nullptr) return;
    for (int k = 0; k < kGroupSlots; ++k) {
        PBGroup g;
        if (m_pBook->GetGroup(k, g) == 0) continue;
        m_list->SetCell(k, kColName,
                        k == kAllGroup ? QStringLiteral("All") : FromBytes(TextOf(g.name)));
    }
}

void CPBGroupListDlg::OnEdit() {
    const int k = m_list->GetSelectedItem();
    CPBGroupEditDlg edit(k, m_list->CellText(k, kColName).left(kNameLen), this);
    if (RunModal(edit) != QDialog::Accepted) return;
    m_list->SetCell(k, kColName, edit.m_strName);
    if (m_pBook != nullptr) m_pBook->SetGroup(k, ToBytes(edit.m_strName));
}

void CPBGroupListDlg::OnDelete() {
    const int k = m_list->GetSelectedItem();
    if (!IsDeletableGroup(k)) {
        ShowMessage(this, kInvalidOperation);
        return;
    }
    if (m_pBook != nullptr) m_pBook->DeleteGroup(k);
    m_list->SetCell(k, kColName, QString());
}

}  // namespace numora
