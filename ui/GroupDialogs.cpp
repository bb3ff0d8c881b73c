#include "ui/GroupDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <algorithm>

#include "ui/DialogUnits.h"
#include "ui/EntryRules.h"
#include "ui/FieldLook.h"
#include "ui/Modal.h"
#include "ui/ReportList.h"

namespace numora {

namespace {

constexpr int kColName = 1;

// Geometry in dialog units.
struct EditTemplate {
    const char* caption;
    const char* objectName;
    QSize size;
    const char* idCaption;
    QRect idLabel, idEdit, nameLabel, nameEdit, ok, cancel;
    std::string_view emptyName;
};

struct ListTemplate {
    const char* caption;
    const char* objectName;
    const char* listName;
    QSize size;
    QRect list, edit, del, ok;
    bool editIsDefault;  // Enter runs Edit; otherwise Enter closes the list
    int rows;
};

const EditTemplate kGroupEdit{.caption = "Phone Book Group Edit",
                              .objectName = "groupEditDialog",
                              .size = {186, 96},
                              .idCaption = "Group ID",
                              .idLabel = {7, 10, 42, 8},
                              .idEdit = {53, 7, 126, 12},
                              .nameLabel = {7, 25, 42, 8},
                              .nameEdit = {53, 22, 126, 12},
                              .ok = {37, 75, 50, 18},
                              .cancel = {98, 75, 50, 18},
                              .emptyName = kEnterGroupName};

const EditTemplate kSmsGroupEdit{.caption = "Phone Book SMS Group Edit",
                                 .objectName = "smsGroupEditDialog",
                                 .size = {187, 89},
                                 .idCaption = "Group Id",
                                 .idLabel = {13, 21, 41, 9},
                                 .idEdit = {63, 17, 105, 15},
                                 .nameLabel = {12, 37, 46, 11},
                                 .nameEdit = {62, 36, 106, 16},
                                 .ok = {36, 68, 40, 16},
                                 .cancel = {110, 67, 39, 17},
                                 .emptyName = kEnterSmsGroupName};

const ListTemplate kGroupList{.caption = "Phone Book Group List",
                              .objectName = "groupListDialog",
                              .listName = "groupList",
                              .size = {155, 114},
                              .list = {5, 7, 145, 80},
                              .edit = {6, 91, 30, 18},
                              .del = {43, 91, 30, 18},
                              .ok = {110, 91, 40, 18},
                              .editIsDefault = false,
                              .rows = kGroupSlots};

const ListTemplate kSmsGroupList{.caption = "Phone Book SMS Group List",
                                 .objectName = "smsGroupListDialog",
                                 .listName = "smsGroupList",
                                 .size = {190, 98},
                                 .list = {7, 6, 174, 68},
                                 .edit = {7, 76, 39, 15},
                                 .del = {55, 76, 40, 15},
                                 .ok = {135, 77, 46, 14},
                                 .editIsDefault = true,
                                 .rows = kSmsGroupSlots};

void Place(const DialogUnits& du, QWidget* w, const QRect& r) {
    du.Place(w, r.x(), r.y(), r.width(), r.height());
}

QPushButton* Button(QDialog* parent, const DialogUnits& du, const char* text, const char* name,
                    const QRect& r) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    Place(du, button, r);
    return button;
}

QLabel* RightLabel(QDialog* parent, const DialogUnits& du, const char* text, const QRect& r) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    du.PlaceLabel(label, r.x(), r.y(), r.width(), r.height());
    return label;
}

}  // namespace

GroupEditDialog::GroupEditDialog(GroupKind kind, int slot, const QString& name, QWidget* parent)
    : QDialog(parent), m_nameEdit(new QLineEdit(this)) {
    const EditTemplate& t = kind == GroupKind::Group ? kGroupEdit : kSmsGroupEdit;
    const bool readOnly = kind == GroupKind::Group && !IsUserGroup(slot);
    m_emptyName = t.emptyName;
    setWindowTitle(QString::fromLatin1(t.caption));
    setObjectName(QString::fromLatin1(t.objectName));
    const DialogUnits du(font());
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
    connect(ok, &QPushButton::clicked, this, &GroupEditDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &GroupEditDialog::reject);
    if (!readOnly) m_nameEdit->setFocus();
}

QString GroupEditDialog::Name() const {
    return m_nameEdit->text();
}

void GroupEditDialog::accept() {
    if (Name().isEmpty()) {
        m_nameEdit->setFocus();
        ShowMessage(this, m_emptyName);
        return;
    }
    QDialog::accept();
}

GroupListDialog::GroupListDialog(GroupKind kind, PhoneBook& book, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_book(book), m_list(new ReportList(this)) {
    const ListTemplate& t = kind == GroupKind::Group ? kGroupList : kSmsGroupList;
    setWindowTitle(QString::fromLatin1(t.caption));
    setObjectName(QString::fromLatin1(t.objectName));
    const DialogUnits du(font());
    setFixedSize(du.Size(t.size.width(), t.size.height()));
    Place(du, m_list, t.list);
    m_list->setObjectName(QString::fromLatin1(t.listName));
    QPushButton* edit = Button(this, du, "Edit", "edit", t.edit);
    QPushButton* del = Button(this, du, "Delete", "delete", t.del);
    QPushButton* ok = Button(this, du, "OK", "ok", t.ok);
    (t.editIsDefault ? edit : ok)->setDefault(true);
    connect(edit, &QPushButton::clicked, this, &GroupListDialog::OnEdit);
    connect(del, &QPushButton::clicked, this, &GroupListDialog::OnDelete);
    connect(ok, &QPushButton::clicked, this, &GroupListDialog::accept);

    m_list->InsertColumn(0, QStringLiteral("#"), 30);
    m_list->InsertColumn(1, QStringLiteral("Name"), 220);
    for (int k = 0; k < t.rows; ++k)
        m_list->SetCell(k, 0, QString::asprintf("%2d ", k));
    m_list->ReportSelections();
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
    connect(m_list, &ReportList::rowDoubleClicked, this, &GroupListDialog::OnEdit);

    for (int k = 0; k < t.rows; ++k) {
        if (kind == GroupKind::SmsGroup) {
            PBSmsGroup s;
            if (m_book.GetSmsGroup(k, s)) SetName(k, FromBytes(TextOf(s.name)));
        } else if (PBGroup g; m_book.GetGroup(k, g)) {
            SetName(k, k == kAllGroup ? QStringLiteral("All") : FromBytes(TextOf(g.name)));
        }
    }
}

void GroupListDialog::SetName(int row, const QString& name) {
    m_list->SetCell(row, kColName, name);
}

QString GroupListDialog::Name(int row) const {
    return m_list->CellText(row, kColName);
}

void GroupListDialog::OnEdit() {
    const std::optional<int> k = m_list->SelectedRow();
    if (!k) return;
    GroupEditDialog edit(m_kind, *k, Name(*k).left(kNameLen), this);
    if (RunModal(edit) != QDialog::Accepted) return;
    SetName(*k, edit.Name());
    if (m_kind == GroupKind::Group) {
        m_book.SetGroup(*k, ToBytes(edit.Name()));
    } else {
        m_book.SetSmsGroupName(*k, ToBytes(edit.Name()));
    }
}

void GroupListDialog::OnDelete() {
    const std::optional<int> k = m_list->SelectedRow();
    if (DeleteSlot(k)) SetName(*k, QString());
}

bool GroupListDialog::DeleteSlot(std::optional<int> row) {
    if (m_kind == GroupKind::SmsGroup) {
        if (!row) return false;
        m_book.DeleteSmsGroup(*row);
        return true;
    }
    if (!row || !IsUserGroup(*row)) {
        ShowMessage(this, kInvalidOperation);
        return false;
    }
    m_book.DeleteGroup(*row);
    return true;
}

}  // namespace numora
