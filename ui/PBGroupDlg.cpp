#include "ui/PBGroupDlg.h"

#include "ui/Modal.h"

namespace numora {

namespace {

const NameEditTemplate kEditTemplate{
    "Phone Book Group Edit", "groupEditDialog", {186, 96},      "Group ID",
    {7, 10, 42, 8},          {53, 7, 126, 12},  {7, 25, 42, 8}, {53, 22, 126, 12},
    {37, 75, 50, 18},        {98, 75, 50, 18},  kEnterGroupName};

const SlotListTemplate kListTemplate{
    "Phone Book Group List", "groupListDialog", "groupList",       {155, 114}, {5, 7, 145, 80},
    {6, 91, 30, 18},         {43, 91, 30, 18},  {110, 91, 40, 18}, false,      kGroupSlots};

}  // namespace

CPBGroupEditDlg::CPBGroupEditDlg(int groupId, const QString& name, QWidget* parent)
    : CSlotNameEditDlg(kEditTemplate, groupId, name, !IsUserGroup(groupId), parent) {}

CPBGroupListDlg::CPBGroupListDlg(CPBData* book, QWidget* parent)
    : CSlotListDlg(kListTemplate, parent), m_pBook(book) {
    if (m_pBook == nullptr) return;
    for (int k = 0; k < kGroupSlots; ++k) {
        PBGroup g;
        if (m_pBook->GetGroup(k, g) == 0) continue;
        SetName(k, k == kAllGroup ? QStringLiteral("All") : FromBytes(TextOf(g.name)));
    }
}

std::unique_ptr<CSlotNameEditDlg> CPBGroupListDlg::MakeEdit(int row, const QString& name) {
    return std::make_unique<CPBGroupEditDlg>(row, name, this);
}

void CPBGroupListDlg::StoreName(int row, const QString& name) {
    if (m_pBook != nullptr) m_pBook->SetGroup(row, ToBytes(name));
}

bool CPBGroupListDlg::DeleteSlot(int row) {
    if (!IsUserGroup(row)) {
        ShowMessage(this, kInvalidOperation);
        return false;
    }
    if (m_pBook != nullptr) m_pBook->DeleteGroup(row);
    return true;
}

}  // namespace numora
