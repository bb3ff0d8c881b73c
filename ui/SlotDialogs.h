// What the group and SMS-group dialogs share: a list of numbered slots with their names and
// Edit, Delete and OK buttons, and a small dialog that renames one slot. Each pair differs only
// in its template (captions, geometry, default button) and in what the book allows.
#pragma once

#include <QDialog>
#include <QRect>
#include <memory>
#include <optional>
#include <string_view>

class QLineEdit;

namespace numora {

class CPBListCtrl;

// Geometry in dialog units.
struct NameEditTemplate {
    const char* caption;
    const char* objectName;
    QSize size;
    const char* idCaption;
    QRect idLabel, idEdit, nameLabel, nameEdit, ok, cancel;
    std::string_view emptyName;  // the message when OK finds no name
};

class CSlotNameEditDlg : public QDialog {
    Q_OBJECT
public:
    CSlotNameEditDlg(const NameEditTemplate& t, int slot, const QString& name, bool readOnly,
                     QWidget* parent);

    // The name as typed; after OK, the name accepted.
    QString Name() const;
    QLineEdit* NameEdit() const { return m_nameEdit; }

public slots:
    void accept() override;

private:
    std::string_view m_emptyName;
    QLineEdit* m_nameEdit;
};

struct SlotListTemplate {
    const char* caption;
    const char* objectName;
    const char* listName;
    QSize size;
    QRect list, edit, del, ok;
    bool editIsDefault;  // Enter runs Edit; otherwise Enter closes the list
    int rows;
};

class CSlotListDlg : public QDialog {
    Q_OBJECT
public:
    CPBListCtrl* List() const { return m_list; }

public slots:
    void OnEdit();
    void OnDelete();

protected:
    CSlotListDlg(const SlotListTemplate& t, QWidget* parent);

    void SetName(int row, const QString& name);
    QString Name(int row) const;

private:
    // The edit dialog for a row; a name it accepts is stored by StoreName.
    virtual std::unique_ptr<CSlotNameEditDlg> MakeEdit(int row, const QString& name) = 0;
    virtual void StoreName(int row, const QString& name) = 0;
    // Empties the selected slot; false when none is selected or it may not be deleted (nothing
    // changes then).
    virtual bool DeleteSlot(std::optional<int> row) = 0;

    CPBListCtrl* m_list;
};

}  // namespace numora
