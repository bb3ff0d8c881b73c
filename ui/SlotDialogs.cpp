#include "ui/SlotDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "book/PBData.h"
#include "ui/DialogUnits.h"
#include "ui/EntryRules.h"
#include "ui/FieldLook.h"
#include "ui/Modal.h"
#include "ui/PBListCtrl.h"

namespace numora {

namespace {

constexpr int kColName = 1;

void Place(const CDialogUnits& du, QWidget* w, const QRect& r) {
    du.Place(w, r.x(), r.y(), r.width(), r.height());
}

QPushButton* Button(QDialog* parent, const CDialogUnits& du, const char* text, const char* name,
                    const QRect& r) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    Place(du, button, r);
    return button;
}

QLabel* RightLabel(QDialog* parent, const CDialogUnits& du, const char* text, const QRect& r) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    du.PlaceLabel(label, r.x(), r.y(), r.width(), r.height());
    return label;
}

}  // namespace

CSlotNameEditDlg::CSlotNameEditDlg(const NameEditTemplate& t, int slot, const QString& name,
                                   bool readOnly, QWidget* parent)
    : QDialog(parent), m_emptyName(t.emptyName), m_nameEdit(new QLineEdit(this)) {
    setWindowTitle(QString::fromLatin1(t.caption));
    setObjectName(QString::fromLatin1(t.objectName));
    const CDialogUnits du(font());
    setFixedSize(du.Size(t.size.width(), t.size.height()));
    RightLabel(this, du, t.idCaption, t.idLabel);
    auto* idEdit = new QLineEdit(this);
    Place(du, idEdit, t.idEdit);
    SetFieldUse(idEdit, FieldUse::Display);
    idEdit->setObjectName(QStringLiteral("groupId"));
    idEdit->setText(QString::number(slot));
    RightLabel(this, du, "Group Name", t.nameLabel);
    Place(du, m_nameEdit, t.nameEdit);
    m_nameEdit->setObjectName(QStringLiteral("groupName"));
    m_nameEdit->setMaxLength(kNameLen);
    m_nameEdit->setText(name);
    AcceptHandsetText(m_nameEdit);
    // A fixed name is shown, not edited: OK and Cancel are all there is to do.
    SetFieldUse(m_nameEdit, readOnly ? FieldUse::Display : FieldUse::Editable);
    QPushButton* ok = Button(this, du, "OK", "ok", t.ok);
    ok->setDefault(true);
    QPushButton* cancel = Button(this, du, "Cancel", "cancel", t.cancel);
    connect(ok, &QPushButton::clicked, this, &CSlotNameEditDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSlotNameEditDlg::reject);
    if (!readOnly) m_nameEdit->setFocus();
}

QString CSlotNameEditDlg::Name() const {
    return m_nameEdit->text();
}

void CSlotNameEditDlg::accept() {
    if (Name().isEmpty()) {
        m_nameEdit->setFocus();
        ShowMessage(this, m_emptyName);
        return;
    }
    QDialog::accept();
}

CSlotListDlg::CSlotListDlg(const SlotListTemplate& t, QWidget* parent)
    : QDialog(parent), m_list(new CPBListCtrl(this)) {
    setWindowTitle(QString::fromLatin1(t.caption));
    setObjectName(QString::fromLatin1(t.objectName));
    const CDialogUnits du(font());
    setFixedSize(du.Size(t.size.width(), t.size.height()));
    Place(du, m_list, t.list);
    m_list->setObjectName(QString::fromLatin1(t.listName));
    QPushButton* edit = Button(this, du, "Edit", "edit", t.edit);
    QPushButton* del = Button(this, du, "Delete", "delete", t.del);
    QPushButton* ok = Button(this, du, "OK", "ok", t.ok);
    (t.editIsDefault ? edit : ok)->setDefault(true);
    connect(edit, &QPushButton::clicked, this, &CSlotListDlg::OnEdit);
    connect(del, &QPushButton::clicked, this, &CSlotListDlg::OnDelete);
    connect(ok, &QPushButton::clicked, this, &CSlotListDlg::accept);

    m_list->InsertColumn(0, QStringLiteral("#"), 30);
    m_list->InsertColumn(1, QStringLiteral("Name"), 220);
    for (int k = 0; k < t.rows; ++k)
        m_list->SetCell(k, 0, QString::asprintf("%2d ", k));
    m_list->SetNotifyWindow(this);
    // Every slot shows, down to the last ("Etc."), whatever the font: the list and the dialog
    // grow to hold the rows, and the name column fills the list's width.
    m_list->setColumnWidth(kColName,
                           m_list->width() - 2 * m_list->frameWidth() - m_list->columnWidth(0));
    const int taller = std::max(0, m_list->SizeForRows(t.rows).height() - m_list->height());
    if (taller > 0) {
        setFixedSize(width(), height() + taller);
        m_list->resize(m_list->width(), m_list->height() + taller);
        for (QPushButton* button : {edit, del, ok})
            button->move(button->x(), button->y() + taller);
    }
    // A double click is the Edit button.
    connect(m_list, &CPBListCtrl::listDblClk, this, &CSlotListDlg::OnEdit);
}

void CSlotListDlg::SetName(int row, const QString& name) {
    m_list->SetCell(row, kColName, name);
}

QString CSlotListDlg::Name(int row) const {
    return m_list->CellText(row, kColName);
}

void CSlotListDlg::OnEdit() {
    const std::optional<int> k = m_list->GetSelectedItem();
    if (!k) return;
    const auto edit = MakeEdit(*k, Name(*k).left(kNameLen));
    if (RunModal(*edit) != QDialog::Accepted) return;
    SetName(*k, edit->Name());
    StoreName(*k, edit->Name());
}

void CSlotListDlg::OnDelete() {
    const std::optional<int> k = m_list->GetSelectedItem();
    if (DeleteSlot(k)) SetName(*k, QString());
}

}  // namespace numora
