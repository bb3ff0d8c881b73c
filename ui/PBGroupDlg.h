// The group dialogs: "Phone Book Group List" shows the seven group slots with their names, and
// "Phone Book Group Edit" renames one. Every change goes straight into the book; closing the
// list in any way keeps what was done.
#pragma once

#include <QDialog>

#include "book/PBData.h"

class QLineEdit;
class QPushButton;

namespace numora {

class CPBListCtrl;

inline constexpr std::string_view kInvalidOperation = "Invalid Operation";
inline constexpr std::string_view kEnterGroupName = "Enter Group Name, please!";

// Renames one group; the name is all of a group the form edits.
class CPBGroupEditDlg : public QDialog {
    Q_OBJECT
public:
    CPBGroupEditDlg(int groupId, const QString& name, QWidget* parent = nullptr);

    int m_nGroupId;
    QString m_strName;
    QLineEdit* NameEdit() const { return m_nameEdit; }

public slots:
    void accept() override;

private:
    QLineEdit* m_idEdit;
    QLineEdit* m_nameEdit;
};

class CPBGroupListDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPBGroupListDlg(CPBData* book, QWidget* parent = nullptr);

    CPBListCtrl* List() const { return m_list; }

public slots:
    void OnEdit();
    void OnDelete();

private:
    CPBData* m_pBook;
    CPBListCtrl* m_list;
};

}  // namespace numora
