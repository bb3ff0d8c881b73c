// The group dialogs: "Phone Book Group List" shows the seven group slots with their names and
// "Phone Book Group Edit" renames one; "Phone Book SMS Group List" and "Phone Book SMS Group
// Edit" do the same for the five SMS groups. Every change goes straight into the book; closing
// a list in any way keeps what was done. The two pairs differ in their templates (captions,
// geometry, default button) and in what the book allows.
#pragma once

#include <QDialog>
#include <optional>
#include <string_view>

#include "book/PhoneBook.h"

class QLineEdit;

namespace numora {

class ReportList;

enum class GroupKind { Group, SmsGroup };

inline constexpr std::string_view kInvalidOperation = "Invalid Operation";
inline constexpr std::string_view kEnterGroupName = "Enter Group Name, please!";
inline constexpr std::string_view kEnterSmsGroupName = "Enter SMS Group Name, please!";

// Renames one slot. Of the groups only the user's have names to change (see IsUserGroup): a
// fixed group's name is shown, not edited. Every SMS group may be renamed.
class GroupEditDialog : public QDialog {
    Q_OBJECT
public:
    GroupEditDialog(GroupKind kind, int slot, const QString& name, QWidget* parent = nullptr);

    // The name as typed; after OK, the name accepted.
    QString Name() const;
    QLineEdit* NameEdit() const { return m_nameEdit; }

public slots:
    void accept() override;

private:
    std::string_view m_emptyName;  // the message when OK finds no name
    QLineEdit* m_nameEdit;
};

// The list of a kind's slots with Edit, Delete and OK. Of the groups only the user's may be
// deleted; every SMS group may, the fixed ones keeping their slot but losing their name.
class GroupListDialog : public QDialog {
    Q_OBJECT
public:
    GroupListDialog(GroupKind kind, PhoneBook& book, QWidget* parent = nullptr);

    ReportList* List() const { return m_list; }

public slots:
    void OnEdit();
    void OnDelete();

private:
    void SetName(int row, const QString& name);
    QString Name(int row) const;
    // Empties the selected slot; false when none is selected or it may not be deleted (nothing
    // changes then).
    bool DeleteSlot(std::optional<int> row);

    GroupKind m_kind;
    PhoneBook& m_book;
    ReportList* m_list;
};

}  // namespace numora
