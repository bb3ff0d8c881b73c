#include "ui/PBGroupDlg.h"

#include "ui/Modal.h"

namespace numora {

namespace {

const NameEditTemplate kEditTemplate{.caption = "Phone Book Group Edit",
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

const SlotListTemplate kListTemplate{.caption = "Phone Book Group List",
                                     .objectName = "groupListDialog",
                                     .listName = "groupList",
                                     .size = {155, 114},
                                     .list = {5, 7, 145, 80},
                                     .edit = {6, 91, 30, 18},
                                     .del = {43, 91, 30, 18},
                                     .ok = {110, 91, 40, 18},
                                     .editIsDefault = false,
                                     .rows = kGroupSlots};

}  // namespace

CPBGroupEditDlg::CPBGroupEditDlg(int groupId, const QString& name, QWidget* parent)
    : CSlotNameEditDlg(kEditTemplate, groupId, name, !IsUserGroup(groupId), parent) {}

CPBGroupListDlg::CPBGroupListDlg(CPBData& book, QWidget* parent)
    : CSlotListDlg(kListTemplate, parent), m_book(book) {
    for (int k = 0; k < kGroupSlots; ++k) {
        PBGroup g;
        if (m_book.GetGroup(k, g) == 0) continue;
        SetName(k, k == kAllGroup ? QStringLiteral("All") : FromBytes(TextOf(g.name)));
    }
}

std::unique_ptr<CSlotNameEditDlg> CPBGroupListDlg::MakeEdit(int row, const QString& name) {
    return std::make_unique<CPBGroupEditDlg>(row, name, this);
}

void CPBGroupListDlg::StoreName(int row, const QString& name) {
    m_book.SetGroup(row, ToBytes(name));
}

bool CPBGroupListDlg::DeleteSlot(std::optional<int> row) {
    if (!row || !IsUserGroup(*row)) {
        ShowMessage(this, kInvalidOperation);
        return false;
    }
    m_book.DeleteGroup(*row);
    return true;
}

}  // namespace numora
