#include "ui/PBSmsGroupDlg.h"

#include "ui/Modal.h"

namespace numora {

namespace {

const NameEditTemplate kEditTemplate{.caption = "Phone Book SMS Group Edit",
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

const SlotListTemplate kListTemplate{.caption = "Phone Book SMS Group List",
                                     .objectName = "smsGroupListDialog",
                                     .listName = "smsGroupList",
                                     .size = {190, 98},
                                     .list = {7, 6, 174, 68},
                                     .edit = {7, 76, 39, 15},
                                     .del = {55, 76, 40, 15},
                                     .ok = {135, 77, 46, 14},
                                     .editIsDefault = true,
                                     .rows = kSmsGroupSlots};

}  // namespace

CPBSmsGroupEditDlg::CPBSmsGroupEditDlg(int groupId, const QString& name, QWidget* parent)
    : CSlotNameEditDlg(kEditTemplate, groupId, name, false, parent) {}

CPBSmsGroupListDlg::CPBSmsGroupListDlg(CPBData& book, QWidget* parent)
    : CSlotListDlg(kListTemplate, parent), m_book(book) {
    for (int k = 0; k < kSmsGroupSlots; ++k) {
        PBSmsGroup s;
        if (m_book.GetSmsGroup(k, s) != 0) SetName(k, FromBytes(TextOf(s.name)));
    }
}

std::unique_ptr<CSlotNameEditDlg> CPBSmsGroupListDlg::MakeEdit(int row, const QString& name) {
    return std::make_unique<CPBSmsGroupEditDlg>(row, name, this);
}

void CPBSmsGroupListDlg::StoreName(int row, const QString& name) {
    m_book.SetSmsGroupName(row, ToBytes(name));
}

// Every SMS group may be deleted; the fixed ones keep their slot but lose their name.
bool CPBSmsGroupListDlg::DeleteSlot(std::optional<int> row) {
    if (!row) return false;
    m_book.DeleteSmsGroup(*row);
    return true;
}

}  // namespace numora
