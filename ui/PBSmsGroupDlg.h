// The SMS group dialogs: "Phone Book SMS Group List" shows the five SMS group slots, and
// "Phone Book SMS Group Edit" renames one. Every slot may be renamed or deleted; changes go
// straight into the book.
#pragma once

#include <QDialog>

#include "book/PBData.h"

class QLineEdit;

namespace numora {

class CPBListCtrl;

inline constexpr std::string_view kEnterSmsGroupName = "Enter SMS Group Name, please!";

class CPBSmsGroupEditDlg : public QDialog {
    Q_OBJECT
public:
    CPBSmsGroupEditDlg(int groupId, const QString& name, QWidget* parent = nullptr);

    int m_nGroupId;
    QString m_strName;
    QLineEdit* NameEdit() const { return m_nameEdit; }

public slots:
    void accept() override;

private:
    QLineEdit* m_idEdit;
    QLineEdit* m_nameEdit;
};

class CPBSmsGroupListDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPBSmsGroupListDlg(CPBData* book, QWidget* parent = nullptr);

    CPBListCtrl* List() const { return m_list; }

public slots:
    void OnEdit();
    void OnDelete();

private:
    CPBData* m_pBook;
    CPBListCtrl* m_list;
};

}  // namespace numora
