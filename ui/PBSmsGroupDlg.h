// The SMS group dialogs: "Phone Book SMS Group List" shows the five SMS group slots, and
// "Phone Book SMS Group Edit" renames one. Every slot may be renamed or deleted; changes go
// straight into the book.
#pragma once

#include "book/PBData.h"
#include "ui/SlotDialogs.h"

namespace numora {

inline constexpr std::string_view kEnterSmsGroupName = "Enter SMS Group Name, please!";

class CPBSmsGroupEditDlg : public CSlotNameEditDlg {
    Q_OBJECT
public:
    CPBSmsGroupEditDlg(int groupId, const QString& name, QWidget* parent = nullptr);
};

class CPBSmsGroupListDlg : public CSlotListDlg {
    Q_OBJECT
public:
    CPBSmsGroupListDlg(CPBData& book, QWidget* parent = nullptr);

private:
    std::unique_ptr<CSlotNameEditDlg> MakeEdit(int row, const QString& name) override;
    void StoreName(int row, const QString& name) override;
    bool DeleteSlot(std::optional<int> row) override;

    CPBData& m_book;
};

}  // namespace numora
