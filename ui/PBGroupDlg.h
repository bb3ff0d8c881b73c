// The group dialogs: "Phone Book Group List" shows the seven group slots with their names, and
// "Phone Book Group Edit" renames one. Every change goes straight into the book; closing the
// list in any way keeps what was done.
#pragma once

#include "book/PBData.h"
#include "ui/SlotDialogs.h"

namespace numora {

inline constexpr std::string_view kInvalidOperation = "Invalid Operation";
inline constexpr std::string_view kEnterGroupName = "Enter Group Name, please!";

// Renames one group; only the user's groups have names to change (see IsUserGroup).
class CPBGroupEditDlg : public CSlotNameEditDlg {
    Q_OBJECT
public:
    CPBGroupEditDlg(int groupId, const QString& name, QWidget* parent = nullptr);
};

class CPBGroupListDlg : public CSlotListDlg {
    Q_OBJECT
public:
    CPBGroupListDlg(CPBData& book, QWidget* parent = nullptr);

private:
    std::unique_ptr<CSlotNameEditDlg> MakeEdit(int row, const QString& name) override;
    void StoreName(int row, const QString& name) override;
    bool DeleteSlot(std::optional<int> row) override;

    CPBData& m_book;
};

}  // namespace numora
